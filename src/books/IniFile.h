#pragma once
// A sectioned key=value settings file with the semantics of the classic profile functions:
// names ignore case, a missing key reads as its default, integers that do not parse read as
// the default, booleans are 1/0 and anything but 0 reads as true. Writes go to a temporary
// file that is renamed into place, so a crash never leaves half a file.

#include "store/EngineError.h"

#include <QString>
#include <memory>
namespace ledra {

// A settings file that cannot be written, is write-protected, or whose damaged predecessor
// cannot be kept aside. Callers that end a run (closing the program, the command line) catch
// it to report the failure instead of pretending the settings were saved.
class SettingsFileError : public EngineError {
public:
    explicit SettingsFileError(const QString &message) : EngineError(DbErr::ReadOnly, message) {}
};

class IniFile {
public:
    // What was wrong with the file when it was read.
    enum class Problem {
        None,       // absent, or a readable text settings file
        Binary,     // binary bytes or NUL characters: nothing is read
        Empty,      // zero length or only blanks: nothing to read
        Truncated,  // cut off (mid-line, or after a section header): what is there is read
        Unreadable, // exists but cannot be read (no permission, a folder of that name)
    };

    explicit IniFile(const QString &path);
    ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    const QString &path() const { return m_path; }
    Problem problem() const { return m_problem; }
    // True when the file exists but is no complete, readable text settings file. Before the
    // first save the file is then kept aside under backupPath(), so that nothing the user
    // had is overwritten; when it cannot be kept aside (unreadable), the save is refused.
    bool damaged() const { return m_problem != Problem::None; }
    // "LEDRA.INI.defekt", or with a number when an earlier damaged file already sits there.
    QString backupPath() const;
    // The German sentence that names the file and what is wrong with it; empty when nothing is.
    QString problemText() const;

    QString readString(const QString &section, const QString &key, const QString &def) const;
    int readInteger(const QString &section, const QString &key, int def, bool *ok = nullptr) const;
    bool readBool(const QString &section, const QString &key, bool def) const;
    bool hasKey(const QString &section, const QString &key) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // Writes the file. Throws SettingsFileError with a German message when any step fails,
    // when the existing file is write-protected, or when a damaged one cannot be kept aside.
    void save();

private:
    struct Impl;
    std::unique_ptr<Impl> m_d;
    QString m_path;
    Problem m_problem = Problem::None;
};

} // namespace ledra
