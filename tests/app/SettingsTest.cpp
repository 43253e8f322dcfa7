#include "books/Settings.h"
#include "books/IniFile.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>
namespace ledra {

namespace {
const QDate kToday(2026, 12, 7);
}

TEST(YearSettings, DefaultsAndRepairRules) {
    DataFixture fx;
    YearSettings s;
    s.load(fx.base, nullptr, kToday); // no LEDRA.INI yet: all defaults
    EXPECT_EQ(s.vorsteuer, QStringLiteral("1400"));
    EXPECT_EQ(s.kontoMwst, QStringLiteral("3800"));
    EXPECT_EQ(s.mwstSatz, QStringLiteral("190"));
    EXPECT_EQ(s.belegnr, QStringLiteral("1"));
    EXPECT_EQ(s.buchVon, QStringLiteral("01.01.26"));
    EXPECT_EQ(s.buchBis, QStringLiteral("31.12.26"));
    EXPECT_EQ(s.lRand, 13);
    EXPECT_EQ(s.zeilenfarbe, 16777215);
    EXPECT_TRUE(s.fSaldo);
    EXPECT_EQ(s.skontoErh, QStringLiteral("5730"));
    EXPECT_EQ(s.skontoGew, QStringLiteral("4730"));
    EXPECT_TRUE(s.kosten13b.isEmpty());
    EXPECT_EQ(s.bilanzErgebnis, QStringLiteral("215000")) << "the shipped outline's section";
    EXPECT_EQ(s.kapital, QStringLiteral("2010"));
    EXPECT_FALSE(s.istSteuer);
    EXPECT_EQ(s.currency, QStringLiteral("€"));
    EXPECT_EQ(s.mwstChoices[2], QStringLiteral("19"));

    fx.writeFile(
        fx.base + QStringLiteral("/LEDRA.INI"),
        "[Konten]\nVorsteuer=\nMwst=1776\nSkontoErh=abc\nKosten13b=\n[Ust]\nVoll=70\nIst=1\n"
        "[Zaehler]\nBeleg1=\n[BZR]\nVon=1.1.2001\nBis=31.12.2001\n[Druck]\nLRand=99\n");
    s.load(fx.base, nullptr, kToday);
    EXPECT_EQ(s.vorsteuer, QStringLiteral("1400")) << "empty field gets its default";
    EXPECT_EQ(s.kontoMwst, QStringLiteral("1776"));
    EXPECT_EQ(s.mwstSatz, QStringLiteral("70")) << "70 compares above 100 as text and stays";
    EXPECT_EQ(s.mwstChoices[2], QStringLiteral("7"));
    EXPECT_TRUE(s.istSteuer);
    EXPECT_EQ(s.belegnr, QStringLiteral("1"));
    EXPECT_EQ(s.skontoErh, QStringLiteral("5730")) << "unreadable integer";
    EXPECT_EQ(s.currency, QStringLiteral("DM")) << "period ends before 2002";
    EXPECT_EQ(s.lRand, 30) << "out of range is held to the up-down's range";
    EXPECT_TRUE(s.kosten13b.isEmpty());

    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                 "[Ust]\nVoll=095\n[BZR]\nBis=01.01.2002\nVon=kein Datum\n");
    s.load(fx.base, nullptr, kToday);
    EXPECT_EQ(s.mwstSatz, QStringLiteral("190")) << "095 compares below 100";
    EXPECT_EQ(s.currency, QStringLiteral("€"));
    EXPECT_EQ(s.buchVon, QStringLiteral("01.01.26"));
}

TEST(YearSettings, SaveThenLoadKeepsEveryKeyButNotAutoNr) {
    DataFixture fx;
    autoNumberCounter(fx.base, 4711);
    YearSettings s;
    s.load(fx.base, nullptr, kToday);
    s.vorsteuer = QStringLiteral("1576");
    s.kosten13b = QStringLiteral("3120");
    s.kapital = QStringLiteral("0880");
    s.bilanzErgebnis = QStringLiteral("2150");
    s.istSteuer = true;
    s.fSaldo = false;
    s.fSaldo1 = 65280;
    s.buchVon = QStringLiteral("01.01.2025");
    s.firma = QStringLiteral("Holzbau Meier GmbH & Co. KG");
    s.steuernummer = QStringLiteral("12/345/67890");
    s.save(fx.base);
    YearSettings r;
    r.load(fx.base, nullptr, kToday);
    EXPECT_EQ(r.vorsteuer, QStringLiteral("1576"));
    EXPECT_EQ(r.kosten13b, QStringLiteral("3120"));
    EXPECT_EQ(r.kapital, QStringLiteral("0880"));
    EXPECT_EQ(r.bilanzErgebnis, QStringLiteral("2150"));
    EXPECT_TRUE(r.istSteuer);
    EXPECT_FALSE(r.fSaldo);
    EXPECT_EQ(r.fSaldo1, 65280);
    EXPECT_EQ(r.buchVon, QStringLiteral("01.01.2025"));
    EXPECT_EQ(r.firma, QStringLiteral("Holzbau Meier GmbH & Co. KG"));
    EXPECT_EQ(r.steuernummer, QStringLiteral("12/345/67890"));
    EXPECT_EQ(autoNumberCounter(fx.base, 0), 4711) << "saving the year settings keeps the counter";
    EXPECT_EQ(autoNumberCounter(fx.base, 5000), 4711);
    EXPECT_EQ(autoNumberCounter(fx.base, 0), 5000);
}

// Binary, empty, cut-off and unreadable files are never taken silently for defaults (and then
// written back): each is reported by name and kept aside before the first save replaces it.
TEST(YearSettings, EmptyTruncatedAndUnreadableFilesAreReportedAndKeptAside) {
    struct Case {
        const char *what;
        QByteArray content;
        const char *vorsteuer; // what the settings read from it
    };
    const Case cases[] = {
        {"binary", QByteArray("\x00\x01\x02[Konten]\x00\xff", 12), "1400"},
        {"zero length", QByteArray(), "1400"},
        {"cut off mid-line", "[Konten]\nVorsteuer=1576\nMwst=17", "1576"},
        {"cut off after a header", "[Konten]\nVorsteuer=1576\n[Farben]\n", "1576"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        DataFixture fx;
        const QString ini = fx.base + QStringLiteral("/LEDRA.INI");
        fx.writeFile(ini, c.content);
        ScriptedUi ui;
        YearSettings s;
        s.load(fx.base, &ui, kToday);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].kind, MsgKind::Warning);
        EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("LEDRA.INI")));
        EXPECT_EQ(s.vorsteuer, QLatin1String(c.vorsteuer));
        s.save(fx.base);
        EXPECT_TRUE(QFileInfo(ini + QStringLiteral(".defekt")).isFile());
        EXPECT_EQ(fx.readFile(ini + QStringLiteral(".defekt")), c.content);
        ui.clear();
        s.load(fx.base, &ui, kToday);
        EXPECT_TRUE(ui.messages.empty()) << "the file written is complete";
    }

    // Hand-edited but complete: line ends of another system, comments, blank lines.
    DataFixture fx;
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                 "; von Hand\r\n[Konten]\r\nMwst=1776\r\n\r\n[Ust]\r\nVoll=190\r\n; Ende\r\n");
    ScriptedUi ui;
    YearSettings s;
    s.load(fx.base, &ui, kToday);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(s.kontoMwst, QStringLiteral("1776"));
}

TEST(YearSettings, UnreadableFileIsReportedAndNeverReplaced) {
    // A folder where the file should be: unreadable for anyone, the administrator included.
    DataFixture fx;
    const QString ini = fx.base + QStringLiteral("/LEDRA.INI");
    ASSERT_TRUE(QDir().mkpath(ini));
    fx.writeFile(ini + QStringLiteral("/inhalt"), "x");
    ScriptedUi ui;
    YearSettings s;
    s.load(fx.base, &ui, kToday);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("LEDRA.INI")));
    EXPECT_THROW(s.save(fx.base), EngineError);
    EXPECT_EQ(fx.readFile(ini + QStringLiteral("/inhalt")), QByteArray("x"));
}

TEST(YearSettings, FileWithoutReadPermissionIsReportedAndNeverReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the administrator reads every file";
    ScriptedUi ui;
    YearSettings s;
    DataFixture fx2;
    const QString ini2 = fx2.base + QStringLiteral("/LEDRA.INI");
    fx2.writeFile(ini2, "[Konten]\nMwst=1776\n");
    QFile::setPermissions(ini2, QFileDevice::Permissions());
    s.load(fx2.base, &ui, kToday);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("LEDRA.INI")));
    EXPECT_THROW(s.save(fx2.base), EngineError);
    QFile::setPermissions(ini2, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fx2.readFile(ini2), QByteArray("[Konten]\nMwst=1776\n"));
}

// Every way the save can fail reaches the caller as the store's error, and a write-protected
// file stays as it is.
TEST(YearSettings, FailedOrRefusedSaveIsAnErrorAndChangesNothing) {
    DataFixture fx;
    const QString ini = fx.base + QStringLiteral("/LEDRA.INI");
    const QByteArray before("[Konten]\nMwst=1776\n");
    fx.writeFile(ini, before);
    YearSettings s;
    s.load(fx.base, nullptr, kToday);
    s.kontoMwst = QStringLiteral("3800");

    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_THROW(s.save(fx.base), EngineError) << "write-protected";
    EXPECT_EQ(fx.readFile(ini), before);
    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // The temporary file cannot be made: a folder of that name is in the way.
    ASSERT_TRUE(QDir().mkpath(ini + QStringLiteral(".neu~/x")));
    EXPECT_THROW(s.save(fx.base), EngineError);
    EXPECT_EQ(fx.readFile(ini), before);
    QDir(ini + QStringLiteral(".neu~")).removeRecursively();

    s.save(fx.base);
    IniFile saved(ini);
    EXPECT_EQ(saved.readString(QStringLiteral("Konten"), QStringLiteral("Mwst"), QString()),
              QStringLiteral("3800"));
}

// A link planted under the temporary name is replaced, never written through.
TEST(YearSettings, SaveNeverFollowsALinkAtTheTemporaryName) {
    DataFixture fx;
    const QString victim = fx.tmp.path() + QStringLiteral("/fremd.txt");
    fx.writeFile(victim, "fremd\n");
    const QString ini = fx.base + QStringLiteral("/LEDRA.INI");
    ASSERT_TRUE(QFile::link(victim, ini + QStringLiteral(".neu~")));
    YearSettings s;
    s.load(fx.base, nullptr, kToday);
    s.save(fx.base);
    EXPECT_EQ(fx.readFile(victim), QByteArray("fremd\n"));
    EXPECT_FALSE(QFileInfo(ini).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(ini + QStringLiteral(".neu~")));
    EXPECT_TRUE(fx.readFile(ini).contains("[Konten]"));
}

// The voucher counter feeds an integer field: what is no number of the settings page's six
// digits is reported and starts again at 1.
TEST(YearSettings, UnusableVoucherCounterIsReportedAndRepaired) {
    for (const char *bad : {"abc", "99999999999", "-5", "12a"}) {
        SCOPED_TRACE(bad);
        DataFixture fx;
        fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                     QByteArray("[Zaehler]\nBeleg1=") + bad + "\n");
        ScriptedUi ui;
        YearSettings s;
        s.load(fx.base, &ui, kToday);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("Beleg1")));
        EXPECT_EQ(s.belegnr, QStringLiteral("1"));
    }
    DataFixture fx;
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"), "[Zaehler]\nBeleg1= 42 \n");
    ScriptedUi ui;
    YearSettings s;
    s.load(fx.base, &ui, kToday);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(s.belegnr, QStringLiteral("42"));

    // The running-number counter: reported, then written back as 0 (the journal decides).
    fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"), "[Zaehler]\nBeleg1=7\nAutoNr=x12\n");
    s.load(fx.base, &ui, kToday);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("AutoNr")));
    s.save(fx.base);
    EXPECT_TRUE(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")).contains("AutoNr=0\n"));
}

TEST(YearSettings, FieldBehaviour) {
    QString t = QStringLiteral("1.1.24");
    EXPECT_TRUE(YearSettings::normaliseDate(t));
    EXPECT_EQ(t, QStringLiteral("01.01.2024"));
    t = QStringLiteral("32.1.24");
    EXPECT_FALSE(YearSettings::normaliseDate(t));
    EXPECT_EQ(t, QStringLiteral("32.1.24"));
    YearSettings s;
    s.kosten13b = QStringLiteral("  3120 ");
    s.trimKosten13b();
    EXPECT_EQ(s.kosten13b, QStringLiteral("3120"));
    s.setMwstSatz(QStringLiteral("160"));
    EXPECT_EQ(s.mwstChoices[2], QStringLiteral("16"));
    s.setMwstSatz(QStringLiteral("x"));
    EXPECT_EQ(s.mwstChoices[2], QStringLiteral("16")) << "an unreadable value changes nothing";
    s.setMwstSatz(QStringLiteral("190"));
    EXPECT_EQ(s.mwstSatzDisplay(), QStringLiteral("19,0 %"));
}

TEST(ProgramSettings, LocationRule) {
    DataFixture fx;
    const QString p = fx.program + QStringLiteral("/LEDRA.INI");
    fx.writeFile(p, "[Alias]\n1=FIBU\n");
    const QString appdata = QString::fromUtf8(qgetenv("APPDATA"));
    const QString q = appdata + QStringLiteral("/QUINDEL/LEDRA.INI");
    EXPECT_EQ(programSettingsLocation(p), q);
    EXPECT_EQ(fx.readFile(q), QByteArray("[Alias]\n1=FIBU\n")) << "first start copies the file";
    fx.writeFile(q, "[Alias]\n1=MEIN\n");
    EXPECT_EQ(programSettingsLocation(p), q);
    EXPECT_EQ(fx.readFile(q), QByteArray("[Alias]\n1=MEIN\n"))
        << "the user's copy is never overwritten";

    const QString wohn = fx.tmp.path() + QStringLiteral("/Wohnung/LEDRA.INI");
    EXPECT_EQ(programSettingsLocation(wohn), wohn);

    IniFile ini(p);
    EXPECT_EQ(ini.readString(QStringLiteral("alias"), QStringLiteral("1"), QString()),
              QStringLiteral("FIBU"))
        << "section names ignore case";
    EXPECT_TRUE(ini.readBool(QStringLiteral("x"), QStringLiteral("y"), true));
}

} // namespace ledra
