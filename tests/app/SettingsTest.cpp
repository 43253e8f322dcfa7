#include "books/Settings.h"
#include "books/IniFile.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
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
    s.istSteuer = true;
    s.fSaldo = false;
    s.fSaldo1 = 65280;
    s.buchVon = QStringLiteral("01.01.2025");
    s.save(fx.base);
    YearSettings r;
    r.load(fx.base, nullptr, kToday);
    EXPECT_EQ(r.vorsteuer, QStringLiteral("1576"));
    EXPECT_EQ(r.kosten13b, QStringLiteral("3120"));
    EXPECT_TRUE(r.istSteuer);
    EXPECT_FALSE(r.fSaldo);
    EXPECT_EQ(r.fSaldo1, 65280);
    EXPECT_EQ(r.buchVon, QStringLiteral("01.01.2025"));
    EXPECT_EQ(autoNumberCounter(fx.base, 0), 4711) << "saving the year settings keeps the counter";
    EXPECT_EQ(autoNumberCounter(fx.base, 5000), 4711);
    EXPECT_EQ(autoNumberCounter(fx.base, 0), 5000);
}

TEST(YearSettings, DamagedFileIsReportedKeptAsideAndNeverOverwritten) {
    DataFixture fx;
    const QString ini = fx.base + QStringLiteral("/LEDRA.INI");
    QByteArray binary("\x00\x01\x02[Konten]\x00\xff", 12);
    fx.writeFile(ini, binary);
    ScriptedUi ui;
    YearSettings s;
    s.load(fx.base, &ui, kToday);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MsgKind::Warning);
    EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("LEDRA.INI")));
    EXPECT_EQ(s.vorsteuer, QStringLiteral("1400"));
    s.save(fx.base);
    EXPECT_EQ(fx.readFile(ini + QStringLiteral(".defekt")), binary) << "the damaged file is kept";
    YearSettings r;
    r.load(fx.base, &ui, kToday);
    EXPECT_EQ(ui.messages.size(), 1u) << "the new file is fine";
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
    EXPECT_EQ(s.mwstSatzDisplay(), QStringLiteral("19.0 %"));
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
