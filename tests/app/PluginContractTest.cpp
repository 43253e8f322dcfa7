// The open-items plug-in as the shell loads it: a file "klaro.so" beside the program that
// carries the interface id is used through the typed interface; any other file of that name
// is refused with a message and the program runs without it.

#include "app/Shell.h"
#include "openitems/OffenePostenModule.h"
#include "store/SqlConnection.h"
#include "store/Table.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QFile>
#include <QJsonObject>
#include <QPluginLoader>
#include <gtest/gtest.h>

namespace ledra {

namespace {

struct PluginContract : ::testing::Test {
    DataFixture fx;
    ScriptedUi ui;
    std::unique_ptr<Shell> shell;

    bool startWithPlugin(const QString &file) {
        EXPECT_TRUE(QFile::copy(file, fx.program + QStringLiteral("/klaro.so")));
        shell = std::make_unique<Shell>(ui, fx.program);
        shell->checkHelp = false;
        return shell->start(QRect(), QDate(2026, 12, 7));
    }
};

} // namespace

TEST_F(PluginContract, ModuleIsLoadedAndHandsOverATypedSettlement) {
    ASSERT_TRUE(startWithPlugin(QStringLiteral(LEDRA_OP_STUB)));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_NE(shell->openItems(), nullptr);
    EXPECT_TRUE(shell->controls.bopVisible);
    EXPECT_EQ(shell->openItems()->lastNumber(), 41);

    const auto a = shell->openItems()->takeForSettlement();
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->buchungstext, shell->books().baseDataFolder() + QStringLiteral("|€"))
        << "initialised with the base data folder and the euro sign";
    EXPECT_FALSE(a->soll.has_value());
    EXPECT_EQ(a->haben, 10000);
    EXPECT_EQ(a->brutto, Money::fromUnits(1190000));
    EXPECT_EQ(a->steuer, Money::fromUnits(190000));
    EXPECT_EQ(a->belegnummer, 815);
    EXPECT_EQ(a->autonummer, 41);

    ASSERT_TRUE(shell->close(false));
    EXPECT_EQ(shell->books().openItems(), nullptr) << "unloaded at close";
    EXPECT_FALSE(shell->controls.bopVisible);
}

TEST_F(PluginContract, AFileWithoutTheInterfaceIsRefusedAndTheProgramRunsWithoutIt) {
    // Any shared library that is not an open-items plug-in, here the invoicing stub.
    ASSERT_TRUE(startWithPlugin(QStringLiteral(LEDRA_MERVA_STUB)));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Das Modul Offene Posten")));
    EXPECT_EQ(shell->openItems(), nullptr);
    EXPECT_FALSE(shell->controls.bopVisible);
    EXPECT_TRUE(shell->books().stapel.isActive());
}

// The real plug-in: its metadata names it and the interface, and the program shows its
// controls while it is loaded and runs unchanged without it.
TEST_F(PluginContract, TheOpenItemsPluginCarriesItsMetadataAndWorksOnTheBaseFolder) {
    const QJsonObject meta = QPluginLoader(QStringLiteral(LEDRA_KLARO)).metaData();
    EXPECT_EQ(meta.value(QStringLiteral("IID")).toString(), QStringLiteral(OffenePostenModule_iid));
    const QJsonObject own = meta.value(QStringLiteral("MetaData")).toObject();
    EXPECT_EQ(own.value(QStringLiteral("Name")).toString(), QStringLiteral("klaro"));
    EXPECT_FALSE(own.value(QStringLiteral("Version")).toString().isEmpty());
    EXPECT_EQ(own.value(QStringLiteral("Interface")).toString(),
              QStringLiteral(OffenePostenModule_iid));

    Table op(Schemas::op());
    op.setFolder(fx.base);
    op.open();
    op.insert();
    op.setValue(QStringLiteral("Nr"), 4711);
    op.post();
    op.close();
    ASSERT_TRUE(startWithPlugin(QStringLiteral(LEDRA_KLARO)));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_NE(shell->openItems(), nullptr);
    EXPECT_TRUE(shell->controls.bopVisible);
    EXPECT_EQ(shell->openItems()->lastNumber(), 4711);
    // A row's role is written through the program's connection with the module's file.
    SqlConnection c = SqlConnection::attached(
        {{OffenePostenModule::stapelAlias(), shell->openItems()->files().stapel}});
    shell->openItems()->addStapel(c, 5, true);
    EXPECT_EQ(shell->openItems()->stapelRole(5), QStringLiteral("Buchung erzeugt offenen Posten"));
    shell->openItems()->removeStapel(c, 5);
    EXPECT_TRUE(shell->openItems()->stapelRole(5).isEmpty());
    ASSERT_TRUE(shell->close(false));
    EXPECT_FALSE(shell->controls.bopVisible);
}

TEST_F(PluginContract, WithoutThePluginFileTheProgramRunsWithoutOpenItems) {
    shell = std::make_unique<Shell>(ui, fx.program);
    shell->checkHelp = false;
    ASSERT_TRUE(shell->start(QRect(), QDate(2026, 12, 7)));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(shell->openItems(), nullptr);
    EXPECT_FALSE(shell->controls.bopVisible);
    EXPECT_TRUE(shell->books().stapel.isActive());
}

} // namespace ledra
