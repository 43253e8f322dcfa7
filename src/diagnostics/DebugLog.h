#pragma once
// The diagnostic log "HHDebug.txt". In normal operation nothing is written; in debug mode
// (a marker file "debug.debug" beside the program, or the switch -debug or /debug) it holds
// a dump of the system and every help request, for support to read.

#include <QString>
#include <QStringList>
namespace ledra {

struct ModuleFacts;

class DebugLog {
public:
    static QString fileName() { return QStringLiteral("HHDebug.txt"); }

    // "-debug" or "/debug", in any case.
    static bool isDebugSwitch(const QString &argument);
    static bool debugModeRequested(const QString &moduleDir, const QStringList &arguments);
    // The module folder when a file can be created there, else the temporary folder;
    // without a trailing separator.
    static QString logFolder(const QString &moduleDir);

    // The log of this program run; its entry starts it, the help hook writes to it.
    static DebugLog &program();

    // A log that writes nothing, until started.
    DebugLog() = default;
    // Decides the file and debug mode, removes the file left by the last run (also when
    // debug mode is off, so that no stale log is mistaken for this run's) and, in debug
    // mode, writes the header.
    void start(const ModuleFacts &facts);
    // For tests and callers that decided the mode themselves.
    void start(const ModuleFacts &facts, bool debug);

    bool debugMode() const { return m_debug; }
    QString path() const { return m_path; }

    // Writes one line in debug mode. "-" and "=" become separator lines; a text beginning
    // with "!", "-" or "=" is written without that character and without the time.
    void write(const QString &text) const;

    // The header lines as written, in their order.
    static QStringList headerLines(const ModuleFacts &facts, const QString &logPath);

private:
    QString m_path;
    bool m_debug = false;
    bool m_timeStamps = true;
    bool m_header = true;
    bool m_append = false;
};

} // namespace ledra
