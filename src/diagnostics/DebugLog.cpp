#include "DebugLog.h"

#include "ModuleFacts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>
namespace ledra {

namespace {

QString yesNo(bool b) {
    return b ? QStringLiteral("YES") : QStringLiteral("NO");
}

// Windows language identifiers of the locales a German bookkeeping program meets: support
// compares them with what users of the program on other systems send.
struct LanguageId {
    QLocale::Language language;
    QLocale::Territory territory; // AnyTerritory: the language's main country
    int primary;
    int sub;
};
constexpr LanguageId kLanguageIds[] = {
    {QLocale::German, QLocale::Switzerland, 0x07, 0x02},
    {QLocale::German, QLocale::Austria, 0x07, 0x03},
    {QLocale::German, QLocale::Luxembourg, 0x07, 0x04},
    {QLocale::German, QLocale::Liechtenstein, 0x07, 0x05},
    {QLocale::German, QLocale::AnyTerritory, 0x07, 0x01},
    {QLocale::English, QLocale::UnitedKingdom, 0x09, 0x02},
    {QLocale::English, QLocale::AnyTerritory, 0x09, 0x01},
    {QLocale::French, QLocale::AnyTerritory, 0x0C, 0x01},
    {QLocale::Italian, QLocale::AnyTerritory, 0x10, 0x01},
    {QLocale::Spanish, QLocale::AnyTerritory, 0x0A, 0x01},
    {QLocale::Dutch, QLocale::AnyTerritory, 0x13, 0x01},
    {QLocale::Polish, QLocale::AnyTerritory, 0x15, 0x01},
    {QLocale::Turkish, QLocale::AnyTerritory, 0x1F, 0x01},
};

void languageIds(const QLocale &l, int &primary, int &sub) {
    primary = 0; // neutral: a language the table does not know
    sub = 0;
    for (const LanguageId &id : kLanguageIds)
        if (id.language == l.language() &&
            (id.territory == QLocale::AnyTerritory || id.territory == l.territory())) {
            primary = id.primary;
            sub = id.sub;
            return;
        }
}

QString hexAndDecimal(int value) {
    return QStringLiteral("0x%1 (%2)")
        .arg(QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0')))
        .arg(value);
}

// The command line as one text, quoting the arguments that hold blanks.
QString actualCommandLine(const ModuleFacts &f) {
    QStringList parts{f.modulePath};
    for (const QString &a : f.arguments)
        parts << (a.contains(QLatin1Char(' ')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    return parts.join(QLatin1Char(' '));
}

} // namespace

DebugLog &DebugLog::program() {
    static DebugLog log;
    return log;
}

bool DebugLog::isDebugSwitch(const QString &argument) {
    return argument.compare(QLatin1String("-debug"), Qt::CaseInsensitive) == 0 ||
           argument.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0;
}

bool DebugLog::debugModeRequested(const QString &moduleDir, const QStringList &arguments) {
    if (QFileInfo::exists(moduleDir + QStringLiteral("/debug.debug")))
        return true;
    for (const QString &a : arguments)
        if (isDebugSwitch(a))
            return true;
    return false;
}

QString DebugLog::logFolder(const QString &moduleDir) {
    // The test file is created exclusively: an existing file of that name (or a link
    // planted there) is never opened or removed.
    const QString probe = moduleDir + QStringLiteral("/$_Temp_$.$$$");
    QFile f(probe);
    if (QFileInfo(moduleDir).isDir() && f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        f.close();
        f.remove();
        return QDir::cleanPath(moduleDir);
    }
    const QString temp = QDir::tempPath();
    if (QFileInfo(temp).isDir())
        return QDir::cleanPath(temp);
    return QStringLiteral("/");
}

void DebugLog::start(const ModuleFacts &facts) {
    start(facts, debugModeRequested(facts.moduleDir, facts.arguments));
}

void DebugLog::start(const ModuleFacts &facts, bool debug) {
    m_debug = debug;
    QString folder = logFolder(
        QDir::fromNativeSeparators(facts.logHome.isEmpty() ? facts.moduleDir : facts.logHome));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    m_path = folder + fileName();
    const QFileInfo old(m_path);
    if (old.exists() || old.isSymLink()) {
        // A read-only log from an earlier run must not keep this run from starting afresh.
        QFile::setPermissions(m_path, QFile::permissions(m_path) | QFileDevice::WriteOwner);
        if (!m_append)
            QFile::remove(m_path);
    }
    if (m_debug && m_header)
        for (const QString &line : headerLines(facts, QDir::toNativeSeparators(m_path)))
            write(line);
}

void DebugLog::write(const QString &text) const {
    if (!m_debug || m_path.isEmpty())
        return;
    QString line = text;
    if (line == QLatin1String("-"))
        line = QString(80, QLatin1Char('-'));
    else if (line == QLatin1String("="))
        line = QString(80, QLatin1Char('='));
    if (line.startsWith(QLatin1Char('!')) || line.startsWith(QLatin1Char('-')) ||
        line.startsWith(QLatin1Char('=')))
        line.remove(0, 1);
    else if (m_timeStamps)
        line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("   ") +
               line;
    // The log may fall back to the shared temporary folder: a link planted under its name
    // is not followed.
    if (QFileInfo(m_path).isSymLink())
        return;
    QFile f(m_path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return; // the log never raises an error: the line is dropped
    line += QLatin1Char('\n');
    f.write(line.toUtf8());
    f.flush();
    f.close();
}

QStringList DebugLog::headerLines(const ModuleFacts &f, const QString &logPath) {
    const QLocale sys = QLocale::system();
    int primary = 0, sub = 0;
    languageIds(sys, primary, sub);
    const int lcid = (sub << 10) | primary;
    // Linux has no service packs; the kernel's version stands where the build was.
    const QStringList kernel =
        QSysInfo::kernelVersion().split(QRegularExpression(QStringLiteral("[^0-9]+")));
    auto kernelPart = [&](int i) { return i < kernel.size() ? kernel[i].toInt() : 0; };
    const QString os = QStringLiteral("%1 %2.%3 (Build %4) %5")
                           .arg(QSysInfo::prettyProductName())
                           .arg(kernelPart(0))
                           .arg(kernelPart(1))
                           .arg(kernelPart(2))
                           .arg(QStringLiteral("No Service Pack"));
    const QChar t = QLatin1Char('\t');
    return {
        QStringLiteral("="),
        QStringLiteral("!Log File:             ") + t + logPath,
        QStringLiteral("!Date:                 ") + t +
            QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")),
        QStringLiteral("!Operating System:      ") + t + os,
        QStringLiteral("!SysLocale.DefaultLCID: ") + t + hexAndDecimal(lcid),
        QStringLiteral("!SysLocale.PriLangID:   ") + t + hexAndDecimal(primary),
        QStringLiteral("!SysLocale.SubLangID:   ") + t + hexAndDecimal(sub),
        QStringLiteral("!DecimalSeparator:      ") + t + sys.decimalPoint(),
        QStringLiteral("-"),
        QStringLiteral("!EXE Path =          ") + t + f.modulePath,
        QStringLiteral("!EXE Version =       ") + t + f.version,
        QStringLiteral("!Cmdline Param(s) =  ") + t + f.arguments.join(QStringLiteral(" | ")),
        QStringLiteral("!Actual CmdLine =  ") + t + actualCommandLine(f),
        QStringLiteral("!_RunDir =           ") + t + f.runDir,
        QStringLiteral("!_ModuleName =       ") + t + f.moduleName,
        QStringLiteral("!_ModuleDir =        ") + t + f.moduleDir,
        QStringLiteral("!_ModulePath =        ") + t + f.modulePath,
        QStringLiteral("!Module Version =       ") + t + f.version,
        QStringLiteral("-"),
        QStringLiteral("!_hhInstalled =      ") + t + yesNo(f.hhInstalled),
        QStringLiteral("!_hhVerStr =         ") + t + f.hhVerStr,
        QStringLiteral("!_hhFriendlyVerStr = ") + t + f.hhFriendlyVerStr,
        QStringLiteral("-"),
        QStringLiteral("!_ieInstalled =      ") + t + yesNo(f.ieInstalled),
        QStringLiteral("!_ieVerStr =         ") + t + f.ieVerStr,
        QStringLiteral("!_ieFriendlyVerStr = ") + t + f.ieFriendlyVerStr,
        QStringLiteral("="),
    };
}

} // namespace ledra
