#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
// Text is decoded to UTF-8 before parsing, so the parser needs no converter of its own.
#define SI_NO_CONVERSION
#include <SimpleIni.h>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
namespace ledra {

struct IniFile::Impl {
    CSimpleIniA ini{true, false, false};
    Impl() { ini.SetSpaces(false); }
};

IniFile::IniFile(const QString &path) : m_d(std::make_unique<Impl>()), m_path(path) {
    QFile f(path);
    if (!f.exists() || !f.open(QIODevice::ReadOnly))
        return;
    QByteArray data = f.readAll();
    if (data.contains('\0')) {
        m_damaged = true;
        return;
    }
    // Files written on Windows are in the ANSI code page; ours are UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(data);
    if (utf8.hasError())
        text = QString::fromLatin1(data);
    const QByteArray u = text.toUtf8();
    if (m_d->ini.LoadData(u.constData(), size_t(u.size())) < 0)
        m_damaged = true;
}

IniFile::~IniFile() = default;

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
    if (m_damaged && QFileInfo::exists(m_path) && !QFileInfo::exists(backupPath())) {
        if (!QFile::copy(m_path, backupPath()))
            throw std::runtime_error(
                QStringLiteral("Die beschädigte Einstellungsdatei %1 kann nicht gesichert "
                               "werden; sie wird nicht überschrieben.")
                    .arg(native)
                    .toStdString());
    }
    std::string out;
    m_d->ini.Save(out);
    const QString tmp = m_path + QStringLiteral(".neu~");
    QFile f(tmp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(out.data(), qint64(out.size())) != qint64(out.size()) || !f.flush()) {
        f.remove();
        throw std::runtime_error(
            QStringLiteral("Die Einstellungsdatei %1 kann nicht geschrieben werden.")
                .arg(native)
                .toStdString());
    }
    ::fsync(f.handle());
    f.close();
    if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(m_path).constData()) !=
        0) {
        QFile::remove(tmp);
        throw std::runtime_error(
            QStringLiteral("Die Einstellungsdatei %1 kann nicht geschrieben werden.")
                .arg(native)
                .toStdString());
    }
    m_damaged = false;
}

} // namespace ledra
