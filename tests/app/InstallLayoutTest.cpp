// The two layouts of the program's files and the per-user data of an installed program:
// the build folder keeps everything beside the binary; an installation under a prefix is
// read from share/ledra and lib/.../ledra, and its user's data folder is made from the
// shipped template in the XDG data home at the first start, without a write under the prefix.

#include "store/InstallLayout.h"
#include "app/Shell.h"
#include "books/DataFolderTemplate.h"
#include "books/IniFile.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <map>
namespace ledra {

namespace {

// Sets an environment variable for the lifetime of the object.
struct EnvGuard {
    QByteArray name, old;
    bool had;
    EnvGuard(const char *n, const QString &value)
        : name(n), old(qgetenv(n)), had(qEnvironmentVariableIsSet(n)) {
        qputenv(n, value.toUtf8());
    }
    ~EnvGuard() {
        if (had)
            qputenv(name.constData(), old);
        else
            qunsetenv(name.constData());
    }
};

// Every file and folder under `root` with its size and modification time.
std::map<QString, QString> snapshot(const QString &root) {
    std::map<QString, QString> out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        out[f.filePath()] = QString::number(f.size()) + QLatin1Char(' ') +
                            QString::number(f.lastModified().toMSecsSinceEpoch());
    }
    return out;
}

// An installation under <tmp>/usr: programs in bin/, the shipped data folder template in
// share/ledra/DATEN; the user's homes in <tmp>/home.
struct Installed : ::testing::Test {
    DataFixture fx;
    QString prefix = fx.tmp.path() + QStringLiteral("/usr");
    QString bin = prefix + QStringLiteral("/bin");
    QString dataHome = fx.tmp.path() + QStringLiteral("/home/.local/share");
    EnvGuard xdg{"XDG_DATA_HOME", dataHome};
    ScriptedUi ui;
    QString accountsStatus; // the status bar's account count of the last start

    void SetUp() override {
        QDir().mkpath(bin);
        DataFixture::copyShipped(prefix + QStringLiteral("/share/ledra/DATEN"));
    }
    bool start(const QString &dataOverride = QString()) {
        Shell shell(ui, bin);
        shell.checkHelp = false;
        shell.dataFolderOverride = dataOverride;
        const bool ok = shell.start(QRect(), QDate(2026, 12, 7));
        accountsStatus = shell.status[1];
        if (ok)
            shell.close(true);
        return ok;
    }
    QString programSettings() const {
        return QString::fromUtf8(qgetenv("APPDATA")) + QStringLiteral("/QUINDEL/LEDRA.INI");
    }
};

} // namespace

TEST(InstallLayoutRules, BuildFolderKeepsEverythingBesideTheBinary) {
    DataFixture fx;
    // A folder named bin is a build folder too while no share/ledra lies beside it.
    for (const QString &folder : {fx.program, fx.tmp.path() + QStringLiteral("/build/bin")}) {
        QDir().mkpath(folder);
        const InstallLayout l(folder);
        EXPECT_FALSE(l.installed()) << folder.toStdString();
        EXPECT_EQ(l.dataFile(QStringLiteral("Indexorg.xml")), folder + "/Indexorg.xml");
        EXPECT_EQ(l.pluginFile(QStringLiteral("klaro.so")), folder + "/klaro.so");
        EXPECT_EQ(l.helpFolder(), folder + "/ledra-hilfe");
        EXPECT_EQ(l.templateDataFolder(), folder + "/DATEN");
        EXPECT_EQ(l.defaultBaseDataFolder(), folder + "/DATEN");
        EXPECT_EQ(l.programSettingsTemplate(), folder + "/LEDRA.INI");
        EXPECT_EQ(l.scratchFolder(), folder);
    }
}

TEST(InstallLayoutRules, InstalledProgramReadsFromThePrefixAndWritesToTheUsersFolders) {
    DataFixture fx;
    const QString prefix = fx.tmp.path() + QStringLiteral("/opt");
    QDir().mkpath(prefix + QStringLiteral("/bin"));
    QDir().mkpath(prefix + QStringLiteral("/share/ledra"));
    EnvGuard data("XDG_DATA_HOME", fx.tmp.path() + QStringLiteral("/data"));
    EnvGuard cache("XDG_CACHE_HOME", fx.tmp.path() + QStringLiteral("/cache"));

    const InstallLayout l(prefix + QStringLiteral("/bin/"));
    ASSERT_TRUE(l.installed());
    EXPECT_EQ(l.prefix(), prefix);
    EXPECT_EQ(l.dataFile(QStringLiteral("Indexorg.xml")), prefix + "/share/ledra/Indexorg.xml");
    EXPECT_EQ(l.helpFolder(), prefix + "/share/ledra/ledra-hilfe");
    EXPECT_EQ(l.templateDataFolder(), prefix + "/share/ledra/DATEN");
    EXPECT_EQ(l.programSettingsTemplate(), prefix + "/share/ledra/LEDRA.INI");
    EXPECT_EQ(l.defaultBaseDataFolder(), fx.tmp.path() + "/data/ledra/DATEN");
    EXPECT_EQ(l.scratchFolder(), fx.tmp.path() + "/cache/ledra");
    for (const QString &f : l.pluginFolders())
        EXPECT_TRUE(f.startsWith(prefix + QStringLiteral("/lib/"))) << f.toStdString();

    // The plug-in is found in whichever library folder holds it.
    const QString plain = prefix + QStringLiteral("/lib/ledra");
    QDir().mkpath(plain);
    fx.writeFile(plain + QStringLiteral("/klaro.so"), "x");
    EXPECT_EQ(l.pluginFile(QStringLiteral("klaro.so")), plain + "/klaro.so");

    // A relative XDG value does not count; the home folder's default applies.
    EnvGuard relative("XDG_DATA_HOME", QStringLiteral("relativ/daten"));
    EXPECT_EQ(InstallLayout::userDataHome(), QDir::homePath() + "/.local/share");
}

TEST_F(Installed, FirstStartMakesTheUsersDataFolderFromTheTemplateAndRemembersIt) {
    const auto before = snapshot(prefix);
    const QString data = dataHome + QStringLiteral("/ledra/DATEN");

    ASSERT_TRUE(start()) << (ui.messages.empty() ? "" : ui.messages[0].text.toStdString());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, MsgKind::Info);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Der Datenordner %1 wurde aus der Vorlage angelegt.").arg(data));
    EXPECT_TRUE(QFileInfo(data + QStringLiteral("/Konten.DB")).isFile());
    EXPECT_EQ(fx.readFile(data + QStringLiteral("/KontoArt.DB")),
              fx.readFile(prefix + QStringLiteral("/share/ledra/DATEN/KontoArt.DB")));
    EXPECT_TRUE(QFileInfo(data + QStringLiteral("/LEDRA.INI")).isFile())
        << "the year settings are saved in the user's folder";
    IniFile settings(programSettings());
    EXPECT_EQ(settings.readString(QStringLiteral("Pfad"), QStringLiteral("1"), QString()), data);
    EXPECT_TRUE(settings.hasKey(QStringLiteral("FBuchhaltung"), QStringLiteral("Width")))
        << "the window settings are kept per user as well";
    EXPECT_TRUE(QDir(dataHome + QStringLiteral("/ledra"))
                    .entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot) ==
                QStringList{QStringLiteral("DATEN")})
        << "no staging folder is left behind";

    // The second start uses the remembered folder and keeps what the user booked there.
    fx.addAccount(1200, QStringLiteral("Bank"), 4, 0, data);
    ui.messages.clear();
    ASSERT_TRUE(start());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(accountsStatus, QStringLiteral("1 Konten"));

    EXPECT_EQ(snapshot(prefix), before) << "nothing written under the prefix";
    EXPECT_FALSE(QFileInfo::exists(prefix + QStringLiteral("/share/ledra/LEDRA.INI")));
    EXPECT_FALSE(QFileInfo::exists(bin + QStringLiteral("/LEDRA.INI")));
}

TEST_F(Installed, AFolderTheSettingsNameButThatIsMissingIsNotReplacedByAnEmptyOne) {
    // A data folder on a detached drive: booking into a fresh one would hide the real books.
    const QString gone = fx.tmp.path() + QStringLiteral("/usb/DATEN");
    QDir().mkpath(QFileInfo(programSettings()).absolutePath());
    fx.writeFile(programSettings(), QStringLiteral("[Pfad]\n1=%1\n").arg(gone).toUtf8());
    EXPECT_FALSE(start());
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_FALSE(QFileInfo::exists(dataHome + QStringLiteral("/ledra")));
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().kind, MsgKind::Error);
}

TEST_F(Installed, AFolderNamedOnTheCommandLineIsMadeFromTheTemplateAndNotRemembered) {
    const QString named = fx.tmp.path() + QStringLiteral("/home/x");
    ASSERT_TRUE(start(named));
    EXPECT_TRUE(QFileInfo(named + QStringLiteral("/Konten.DB")).isFile());
    EXPECT_FALSE(QFileInfo::exists(dataHome + QStringLiteral("/ledra")))
        << "the default folder is made only when it is used";
    IniFile settings(programSettings());
    EXPECT_FALSE(settings.hasKey(QStringLiteral("Pfad"), QStringLiteral("1")));
}

TEST(DataFolderFromTemplate, RefusesWhatWouldLoseOrHalfMakeData) {
    DataFixture fx;
    // An existing folder is never overwritten, not even an empty-looking one.
    EXPECT_THROW(createDataFolderFromTemplate(fx.base, fx.program), std::runtime_error);
    EXPECT_TRUE(QFileInfo(fx.base + QStringLiteral("/Konten.DB")).isFile());

    // A missing template leaves nothing behind, not even the parent's staging folder.
    const QString parent = fx.tmp.path() + QStringLiteral("/neu");
    try {
        createDataFolderFromTemplate(fx.tmp.path() + QStringLiteral("/fehlt"),
                                     parent + QStringLiteral("/DATEN"));
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Die Vorlage")));
    }
    EXPECT_FALSE(QFileInfo::exists(parent + QStringLiteral("/DATEN")));

    // Subfolders are copied; build bookkeeping and links are not.
    fx.writeFile(fx.base + QStringLiteral("/.stamp"), "");
    QDir().mkpath(fx.base + QStringLiteral("/LEDRA25"));
    fx.writeFile(fx.base + QStringLiteral("/LEDRA25/LEDRA.INI"), "[Ust]\nIst=1\n");
    ASSERT_TRUE(QFile::link(QStringLiteral("/etc/passwd"), fx.base + QStringLiteral("/link")));
    const QString copy = parent + QStringLiteral("/DATEN");
    createDataFolderFromTemplate(fx.base, copy);
    EXPECT_EQ(fx.readFile(copy + QStringLiteral("/LEDRA25/LEDRA.INI")),
              QByteArray("[Ust]\nIst=1\n"));
    EXPECT_EQ(fx.readFile(copy + QStringLiteral("/Konten.DB")),
              fx.readFile(fx.base + QStringLiteral("/Konten.DB")));
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral("/.stamp")));
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral("/link")));
}

} // namespace ledra
