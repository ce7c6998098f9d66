#include "users/UserManagementSettings.h"

#include "text/TextTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace users {

namespace {

constexpr int kTextOffset = 20;

void putInt(QByteArray& bytes, int offset, qint32 value) {
    qToLittleEndian<qint32>(value, bytes.data() + offset);
}

qint32 intAt(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

}  // namespace

QByteArray EncodeSettings(const UserManagementSettings& s) {
    QByteArray bytes(kSettingsFileSize, '\0');
    putInt(bytes, 0, s.showNames ? 1 : 0);
    putInt(bytes, 4, s.showKorvaneUsers ? 1 : 0);
    putInt(bytes, 8, s.showDisabledUsers ? 1 : 0);
    putInt(bytes, 12, s.showInactiveUsers ? 1 : 0);
    putInt(bytes, 16, s.organisationIndex);
    // The files are 8-bit text; what Latin-1 cannot hold becomes "?".
    const QByteArray text = s.organisation.left(kSettingsTextSize - 1).toLatin1();
    std::copy(text.begin(), text.end(), bytes.begin() + kTextOffset);
    return bytes;
}

std::optional<UserManagementSettings> DecodeSettings(const QByteArray& bytes) {
    if (bytes.size() != kSettingsFileSize) return std::nullopt;
    bool switches[4];
    for (int i = 0; i < 4; ++i) {
        const qint32 value = intAt(bytes, 4 * i);
        if (value != 0 && value != 1) return std::nullopt;
        switches[i] = value == 1;
    }
    const qint32 index = intAt(bytes, 16);
    if (index < 0) return std::nullopt;
    const int end = bytes.indexOf('\0', kTextOffset);
    if (end < 0) return std::nullopt;
    UserManagementSettings s;
    s.showNames = switches[0];
    s.showKorvaneUsers = switches[1];
    s.showDisabledUsers = switches[2];
    s.showInactiveUsers = switches[3];
    s.organisationIndex = index;
    s.organisation = text::decodeWindows1252(bytes.mid(kTextOffset, end - kTextOffset));
    return s;
}

QString SettingsFilePath(const QString& baseDir) {
    return QDir::toNativeSeparators(QDir(baseDir).filePath(QStringLiteral("Temp/UserManagement.ini")));
}

UserManagementSettings ReadSettingsFile(const QString& path, const UserManagementSettings& defaults) {
    QFile file(QDir::fromNativeSeparators(path));
    if (!file.open(QIODevice::ReadOnly)) return defaults;
    // Never more than a valid file holds: a larger one is not ours.
    const QByteArray bytes = file.read(kSettingsFileSize + 1);
    return DecodeSettings(bytes).value_or(defaults);
}

bool WriteSettingsFile(const QString& path, const UserManagementSettings& settings) {
    const QString local = QDir::fromNativeSeparators(path);
    QDir().mkpath(QFileInfo(local).absolutePath());
    QSaveFile file(local);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(EncodeSettings(settings));
    return file.commit();
}

}  // namespace users
