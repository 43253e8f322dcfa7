#pragma once
// A sectioned key=value settings file with the semantics of the classic profile functions:
// names ignore case, a missing key reads as its default, integers that do not parse read as
// the default, booleans are 1/0 and anything but 0 reads as true. Writes go to a temporary
// file that is renamed into place, so a crash never leaves half a file.

#include <QString>
#include <memory>
namespace ledra {

class IniFile {
public:
    explicit IniFile(const QString &path);
    ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;

    const QString &path() const { return m_path; }
    // True when the file exists but is no text settings file (binary bytes, NUL characters).
    // Its content is then ignored, and before the first save it is kept aside under
    // backupPath() so that nothing the user had is overwritten.
    bool damaged() const { return m_damaged; }
    QString backupPath() const { return m_path + QStringLiteral(".defekt"); }

    QString readString(const QString &section, const QString &key, const QString &def) const;
    int readInteger(const QString &section, const QString &key, int def, bool *ok = nullptr) const;
    bool readBool(const QString &section, const QString &key, bool def) const;
    bool hasKey(const QString &section, const QString &key) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // Writes the file; throws std::runtime_error with a German message on failure.
    void save();

private:
    struct Impl;
    std::unique_ptr<Impl> m_d;
    QString m_path;
    bool m_damaged = false;
};

} // namespace ledra
