#include "app/Shell.h"
#include "invoicebook/RechnungsbuchStore.h"
#include "store/TableFile.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <SQLiteCpp/Database.h>
#include <gtest/gtest.h>
namespace ledra {

namespace {

struct StartAndClose : ::testing::Test {
    DataFixture fx;
    ScriptedUi ui;
    std::unique_ptr<Shell> fb;
    void SetUp() override {
        QDir().mkpath(fx.program + QStringLiteral("/ledra-hilfe"));
        fx.writeFile(fx.program + QStringLiteral("/ledra-hilfe/ledra.qch"), "");
    }
    bool start(QRect screen = QRect()) {
        fb = std::make_unique<Shell>(ui, fx.program);
        return fb->start(screen, QDate(2026, 12, 7));
    }
};

} // namespace

TEST_F(StartAndClose, StartsOnTheShippedDataWithoutAMessage) {
    ASSERT_TRUE(start());
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();
    EXPECT_EQ(fb->status[0], QStringLiteral("0 Buchungen"));
    EXPECT_EQ(fb->status[1], QStringLiteral("0 Konten"));
    EXPECT_EQ(fb->status[2], QStringLiteral("DATEN"));
    EXPECT_FALSE(fb->controls.bopVisible) << "no plug-in file";
    EXPECT_FALSE(fb->controls.cashBasisColumns);
    EXPECT_TRUE(fb->controls.delJahrEnabled);
    EXPECT_FALSE(fb->controls.kSaldouebertrEnabled);
    EXPECT_FALSE(fb->controls.jWechselEnabled) << "the period of the current year has not ended";
    EXPECT_TRUE(fb->books().stapel.isActive());
    EXPECT_TRUE(TableFile::exists(fx.base, QStringLiteral("OP.db")));
}

TEST_F(StartAndClose, MissingHelpAndMissingBaseFolder) {
    QDir(fx.program + QStringLiteral("/ledra-hilfe")).removeRecursively();
    ASSERT_TRUE(start());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Hilfe-Datei nicht gefunden:\r") +
                  QDir::toNativeSeparators(fx.program + QStringLiteral("/ledra-hilfe/ledra.qch")));

    ui.clear();
    QDir(fx.base).removeRecursively();
    EXPECT_FALSE(start());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("Fehler beim Datenzugriff.\rVerzeichnis ") +
                                       QDir::toNativeSeparators(fx.base) +
                                       QStringLiteral(" nicht vorhanden"));
}

TEST_F(StartAndClose, DamagedBaseTableEndsTheStartAndStaysUntouched) {
    const QString konten = fx.base + QStringLiteral("/Konten.DB");
    fx.writeFile(
        konten,
        "das ist keine Tabelle, sondern Text, der lang genug ist............................");
    const QByteArray before = fx.readFile(konten);
    const QByteArray journal = fx.readFile(fx.base + QStringLiteral("/Journal.DB"));
    EXPECT_FALSE(start());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(ui.messages.back().text.endsWith(QStringLiteral("\rProgramm wird beendet!")));
    EXPECT_TRUE(ui.messages.front().text.contains(QStringLiteral("Konten.DB")));
    EXPECT_EQ(fx.readFile(konten), before);
    EXPECT_EQ(fx.readFile(fx.base + QStringLiteral("/Journal.DB")), journal);
}

TEST_F(StartAndClose, WindowIsKeptOnTheScreen) {
    fx.writeFile(fx.program + QStringLiteral("/LEDRA.INI"),
                 "[FBuchhaltung]\nLeft=1800\nTop=-40\nWidth=800\nHeight=600\nCBOPDatum=1\n[DBGrid1]"
                 "\nName=333\n");
    ASSERT_TRUE(start(QRect(0, 0, 1920, 1080)));
    EXPECT_EQ(fb->window.geometry, QRect(1120, 0, 800, 600));
    EXPECT_TRUE(fb->window.cbOPDatum);
    EXPECT_EQ(fb->window.grid1Widths.value(QStringLiteral("Name")), 333);
    EXPECT_EQ(fb->window.grid1Widths.value(QStringLiteral("KtoNr")), 70)
        << "missing key keeps its design width";
}

TEST_F(StartAndClose, CloseAsksAboutTheBatchAndSavesSettings) {
    ASSERT_TRUE(start());
    fb->books().stapel.appendRecord({1, QDate(2026, 3, 1), QStringLiteral("Test")});
    fb->books().stapel.insert();
    EXPECT_FALSE(fb->close());
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte noch die Buchung speichern!\r(Das Häkchen klicken)")));
    fb->books().stapel.cancel();
    ui.answers = {Btn::No};
    EXPECT_FALSE(fb->close());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, QStringLiteral("Buchungen im Stapel lassen und beenden?  "));
    fb->books().settings.belegnr = QStringLiteral("77");
    ui.answers = {Btn::Yes};
    EXPECT_TRUE(fb->close());
    EXPECT_FALSE(fb->books().stapel.isActive());
    // The next start shows the rows again and has the settings.
    ASSERT_TRUE(start());
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    EXPECT_EQ(fb->books().settings.belegnr, QStringLiteral("77"));
}

TEST_F(StartAndClose, PageSwitchRules) {
    ASSERT_TRUE(start());
    fb->books().stapel.insert();
    EXPECT_FALSE(fb->mayLeavePage());
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte erst die Dateneingabe beenden.")));
    fb->books().stapel.cancel();
    EXPECT_TRUE(fb->mayLeavePage());
    fb->pageChanged(Shell::Page::Einstellung);
    EXPECT_TRUE(fb->controls.skrButtonsVisible) << "empty chart of accounts";
    fb->settingsFocus = QStringLiteral("EBuchBis");
    fb->books().settings.buchBis = QStringLiteral("31.13.26");
    ui.clear();
    EXPECT_FALSE(fb->mayLeavePage());
    EXPECT_EQ(ui.focused, QStringLiteral("EBuchBis"));
    fb->books().settings.buchBis = QStringLiteral("31.12.26");
    EXPECT_TRUE(fb->mayLeavePage());
    EXPECT_EQ(fb->books().settings.buchBis, QStringLiteral("31.12.2026"));

    // Konten: an invalid pending row refuses the switch.
    fb->pageChanged(Shell::Page::Konten);
    fb->books().kontenGrid.insert();
    fb->books().kontenGrid.setValue(QStringLiteral("KtoNr"), 1000); // no name: required field
    ui.clear();
    EXPECT_FALSE(fb->mayLeavePage());
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte erst die Dateneingabe beenden.")));
    fb->books().kontenGrid.setValue(QStringLiteral("Name"), QStringLiteral("Kasse"));
    fb->books().kontenGrid.setValue(QStringLiteral("Art"), 5);
    EXPECT_TRUE(fb->mayLeavePage());
    EXPECT_TRUE(fb->books().kontenGrid.isBrowse());
    fb->books().konten.refresh();
    EXPECT_TRUE(fb->books().konten.findKey({1000}))
        << "the pending row was posted before the switch";
}

TEST_F(StartAndClose, DataOperationGuard) {
    ASSERT_TRUE(start());
    fb->books().stapel.insert();
    EXPECT_THROW(fb->books().beginDataOperation(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Bitte erst Dateneingabe beenden!")));
    fb->books().stapel.cancel();
    fb->books().beginDataOperation();
    EXPECT_TRUE(ui.progressShown);
    EXPECT_THROW(fb->books().checkNoDataOperation(), SilentAbort);
    EXPECT_TRUE(ui.saw(QStringLiteral("Datenvorgang läuft!")));
    fb->books().endDataOperation();
    EXPECT_FALSE(ui.progressShown);
    EXPECT_NO_THROW(fb->books().checkNoDataOperation());
}

TEST_F(StartAndClose, YearFolderUpgradeAndFallback) {
    ASSERT_TRUE(start());
    EXPECT_EQ(fb->books().yearFolder(QStringLiteral("2007")), fx.base + QStringLiteral("/LEDRA07"));
    const QString y = fx.base + QStringLiteral("/LEDRA24");
    QDir().mkpath(y);
    // An old Konten.DB without the last fields, with one row; no BWA.db at all.
    {
        SQLite::Database db((y + QStringLiteral("/Konten.DB")).toStdString(),
                            SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec(
            QStringLiteral("PRAGMA application_id=%1").arg(TableFile::ApplicationId).toStdString());
        db.exec("CREATE TABLE Konten(KtoNr INTEGER NOT NULL, Name TEXT NOT NULL, Art INTEGER NOT "
                "NULL, Mwst REAL, Saldo INTEGER)");
        db.exec("INSERT INTO Konten VALUES (1000, 'Kasse', 5, 0, 1234500)");
    }
    for (const char *f : {"Bilanz.DB", "Journal.DB"})
        QFile::copy(fx.base + QLatin1Char('/') + QLatin1String(f),
                    y + QLatin1Char('/') + QLatin1String(f));
    EXPECT_TRUE(fb->books().openDataFolder(y, QDate(2026, 12, 7)));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(fb->status[2], QStringLiteral("LEDRA24"));
    EXPECT_TRUE(TableFile::exists(y, QStringLiteral("BWA.db")));
    ASSERT_TRUE(fb->books().konten.findKey({1000}));
    EXPECT_EQ(fb->books().konten.asMoney(QStringLiteral("Saldo")), Money::fromUnits(1234500));
    EXPECT_EQ(fb->books().konten.fieldCount(), 16);
    EXPECT_FALSE(QFile::exists(y + QStringLiteral("/XKonten.DB")));
    EXPECT_FALSE(fb->controls.delJahrEnabled);
    EXPECT_TRUE(fb->controls.kSaldouebertrEnabled);

    // A folder that does not exist falls back to the base data folder.
    EXPECT_FALSE(fb->books().openDataFolder(fx.base + QStringLiteral("/LEDRA99")));
    EXPECT_EQ(fb->status[2], QStringLiteral("DATEN"));
}

TEST_F(StartAndClose, UpdateFolderDeliversANewerTable) {
    const QString u =
        QString::fromUtf8(qgetenv("ALLUSERSPROFILE")) + QStringLiteral("/QUINDEL/LEDRA");
    QDir().mkpath(u);
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
    TableFile::create(u + QStringLiteral("/NEWKonten.DB"), Schemas::konten());
    ASSERT_TRUE(start());
    EXPECT_FALSE(QFile::exists(u + QStringLiteral("/NEWKonten.DB"))) << "moved into place";
    EXPECT_TRUE(fb->books().konten.findKey({1200})) << "old rows were appended";
}

// An update whose table does not have the program's fields (one missing, or one of another
// type) would cost a column or stop the start: it is refused by name and the table in use
// stays as it is.
TEST_F(StartAndClose, UpdateFolderTableWithOtherFieldsIsRefused) {
    const QString u =
        QString::fromUtf8(qgetenv("ALLUSERSPROFILE")) + QStringLiteral("/QUINDEL/LEDRA");
    QDir().mkpath(u);
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
    TableSchema missing = Schemas::konten();
    missing.fields.erase(missing.fields.begin() + missing.fieldIndex(QStringLiteral("Datum1")));
    TableSchema retyped = Schemas::konten();
    retyped.fields[size_t(retyped.fieldIndex(QStringLiteral("Saldo")))].type = FieldType::String;
    for (const TableSchema *wrong : {&missing, &retyped}) {
        SCOPED_TRACE(wrong == &missing ? "missing field" : "other type");
        const QString newFile = u + QStringLiteral("/NEWKonten.DB");
        QFile::remove(newFile);
        TableFile::create(newFile, *wrong);
        ui.clear();
        ASSERT_TRUE(start());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].kind, MsgKind::Error);
        EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("NEWKonten.DB")))
            << ui.messages[0].text.toStdString();
        EXPECT_TRUE(QFile::exists(newFile)) << "not swapped in";
        EXPECT_EQ(fb->books().konten.fieldCount(), 16);
        EXPECT_TRUE(fb->books().konten.findKey({1200})) << "the table in use keeps its rows";
        fb->close(false);
        fb.reset();
    }
}

TEST(Cli, InfoPrintsTheStatusFieldsAndFailsOnAMissingFolder) {
    DataFixture fx;
    QProcess p;
    p.start(QStringLiteral(LEDRA_CLI), {QStringLiteral("--data"), fx.base, QStringLiteral("info")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              QStringLiteral("0 Buchungen\n0 Konten\nDATEN\n"));
    p.start(QStringLiteral(LEDRA_CLI),
            {QStringLiteral("--data"), fx.base + QStringLiteral("/fehlt"), QStringLiteral("info")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError())
                    .contains(QStringLiteral("Fehler beim Datenzugriff.")));
}

TEST_F(StartAndClose, InvoicingProgramBesideIsBound) {
    // <parent of the program folder>/MERVA/ with its module, its settings and its tables.
    const QString merva = fx.tmp.path() + QStringLiteral("/MERVA");
    const QString daten = fx.tmp.path() + QStringLiteral("/MervaDaten");
    QDir().mkpath(merva + QStringLiteral("/Skins"));
    QDir().mkpath(daten);
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(LEDRA_MERVA_STUB), merva + QStringLiteral("/librechbuch.so")));
    fx.writeFile(
        merva + QStringLiteral("/MERVA.INI"),
        QStringLiteral("[Options]\nDaten=%1\nSkin=Fusion\nClient=2\n").arg(daten).toUtf8());
    // Without its tables the start ends with the engine's message.
    EXPECT_FALSE(start());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_TRUE(ui.messages.back().text.endsWith(QStringLiteral("\rProgramm wird beendet!")));
    for (const TableSchema *s : {&Schemas::rechbuch(), &Schemas::beleg(), &Schemas::protokoll(),
                                 &Schemas::kunden(), &Schemas::liefer()})
        TableFile::create(daten + QLatin1Char('/') + s->fileName, *s);
    ui.clear();
    ASSERT_TRUE(start());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(fb->merva.installed);
    EXPECT_EQ(fb->merva.dataFolder, daten);
    EXPECT_TRUE(fb->merva.skinActive);
    EXPECT_EQ(fb->merva.skin, QStringLiteral("Fusion"));
    ASSERT_NE(fb->rechDaten(), nullptr);
    EXPECT_TRUE(fb->rechDaten()->MitProtokoll);
    EXPECT_TRUE(fb->rechDaten()->TRechbuch.isActive());
    EXPECT_TRUE(fb->close(false));
    EXPECT_EQ(fb->rechDaten(), nullptr);
}

} // namespace ledra
