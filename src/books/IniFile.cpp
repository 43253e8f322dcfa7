#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
// Text is decoded to UTF-8 before parsing, so the parser needs no converter of its own.
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
namespace ledra {

struct IniFile::Impl {
    CSimpleIniA ini{true, false, false};
    Impl() { ini.SetSpaces(false); }
};

namespace {

// A file this program writes always ends with a line break and has keys under every section
// header. One that stops in the middle of a line or right after a header was cut off (a full
// disk, a copy that broke off); a hand-edited file that merely lacks the last line break is
// reported too, but everything in it is still read.
bool looksTruncated(const QString &text) {
    if (!text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char('\r')))
        return true;
    const QStringList lines =
        QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString l = it->trimmed();
        if (l.isEmpty() || l.startsWith(QLatin1Char(';')) || l.startsWith(QLatin1Char('#')))
            continue;
        return l.startsWith(QLatin1Char('['));
    }
    return false;
}

bool lexists(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Writes a new file at `path` that never follows a link planted there: an existing entry of
// that name is unlinked first when `replace` (a link goes, never its target), and the file is
// created exclusively without following links. False (and nothing left behind) on any failure.
bool writeNewFile(const QString &path, const QByteArray &data, bool replace) {
    const QByteArray p = QFile::encodeName(path);
    if (replace && ::unlink(p.constData()) != 0 && errno != ENOENT)
        return false;
    const int fd =
        ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    const char *b = data.constData();
    size_t left = size_t(data.size());
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, b, left);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok) {
            b += n;
            left -= size_t(n);
        }
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        ::unlink(p.constData());
    return ok;
}

void syncFolderOf(const QString &path) {
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A file whose mode allows no writing at all is write-protected even for an administrator,
// as the read-only attribute is on the systems the data folders come from.
bool writeProtected(const QString &path) {
    const QByteArray p = QFile::encodeName(path);
    struct stat st {};
    if (::stat(p.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(p.constData(), W_OK) != 0;
}

} // namespace

IniFile::IniFile(const QString &path) : m_d(std::make_unique<Impl>()), m_path(path) {
    if (!lexists(path))
        return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_problem = Problem::Unreadable;
        return;
    }
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        m_problem = Problem::Unreadable;
        return;
    }
    if (data.contains('\0')) {
        m_problem = Problem::Binary;
        return;
    }
    // Files written on Windows are in the ANSI code page; ours are UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(data);
    if (utf8.hasError())
        text = QString::fromLatin1(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.trimmed().isEmpty()) {
        m_problem = Problem::Empty;
        return;
    }
    const QByteArray u = text.toUtf8();
    if (m_d->ini.LoadData(u.constData(), size_t(u.size())) < 0)
        m_problem = Problem::Binary;
    else if (looksTruncated(text))
        m_problem = Problem::Truncated;
}

IniFile::~IniFile() = default;

QString IniFile::backupPath() const {
    const QString first = m_path + QStringLiteral(".defekt");
    QString p = first;
    for (int n = 2; lexists(p) && n < 1000; ++n)
        p = first + QString::number(n);
    return p;
}

QString IniFile::problemText() const {
    const QString f = QDir::toNativeSeparators(m_path);
    switch (m_problem) {
    case Problem::None:
        return QString();
    case Problem::Binary:
        return QStringLiteral("Die Einstellungsdatei %1 ist beschädigt.").arg(f);
    case Problem::Empty:
        return QStringLiteral("Die Einstellungsdatei %1 ist leer.").arg(f);
    case Problem::Truncated:
        return QStringLiteral("Die Einstellungsdatei %1 ist unvollständig (sie bricht mitten in "
                              "einer Zeile oder nach einer Abschnittsüberschrift ab).")
            .arg(f);
    case Problem::Unreadable:
        return QStringLiteral("Die Einstellungsdatei %1 kann nicht gelesen werden.").arg(f);
    }
    return QString();
}

static std::string s(const QString &q) {
    return q.toUtf8().toStdString();
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const {
    const char *v = m_d->ini.GetValue(s(section).c_str(), s(key).c_str(), nullptr);
    return v ? QString::fromUtf8(v) : def;
}

bool IniFile::hasKey(const QString &section, const QString &key) const {
    return m_d->ini.GetValue(s(section).c_str(), s(key).c_str(), nullptr) != nullptr;
}

int IniFile::readInteger(const QString &section, const QString &key, int def, bool *ok) const {
    const QString v = readString(section, key, QString()).trimmed();
    bool good = false;
    int n = v.toInt(&good);
    if (!good && v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        n = v.mid(2).toInt(&good, 16);
    if (ok)
        *ok = good;
    return good ? n : def;
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) {
    m_d->ini.SetValue(s(section).c_str(), s(key).c_str(), s(value).c_str());
}

void IniFile::writeInteger(const QString &section, const QString &key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::save() {
    const QString native = QDir::toNativeSeparators(m_path);
    if (writeProtected(m_path))
        throw SettingsFileError(
            QStringLiteral("Die Einstellungsdatei %1 ist schreibgeschützt. Die Einstellungen "
                           "werden nicht gespeichert.")
                .arg(native));
    if (damaged() && lexists(m_path)) {
        // Kept aside byte for byte before anything replaces it; what cannot be read cannot be
        // kept, and is then not replaced either.
        const QString backup = backupPath();
        QFile old(m_path);
        QByteArray data;
        bool kept = old.open(QIODevice::ReadOnly);
        if (kept) {
            data = old.readAll();
            kept = old.error() == QFileDevice::NoError;
        }
        if (!kept || !writeNewFile(backup, data, false))
            throw SettingsFileError(
                QStringLiteral("Die beschädigte Einstellungsdatei %1 kann nicht als %2 gesichert "
                               "werden; sie wird nicht überschrieben.")
                    .arg(native, QDir::toNativeSeparators(backup)));
    }
    std::string out;
    m_d->ini.Save(out);
    const QString tmp = m_path + QStringLiteral(".neu~");
    const auto failed = [&] {
        return SettingsFileError(
            QStringLiteral("Die Einstellungsdatei %1 kann nicht geschrieben werden. Die "
                           "Einstellungen wurden nicht gespeichert.")
                .arg(native));
    };
    if (!writeNewFile(tmp, QByteArray::fromStdString(out), true))
        throw failed();
    if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(m_path).constData()) !=
        0) {
        ::unlink(QFile::encodeName(tmp).constData());
        throw failed();
    }
    syncFolderOf(m_path);
    m_problem = Problem::None;
}

} // namespace ledra
