#pragma once
// The user management's view settings, kept between sessions in a small
// binary file of 272 bytes (little-endian): the filter list's name view, the
// three "Show ..." switches, the organisation filter's index and its text.

#include <QByteArray>
#include <QString>
#include <optional>

namespace users {

struct UserManagementSettings {
    bool showNames = true;
    bool showKorvaneUsers = true;
    bool showDisabledUsers = true;
    bool showInactiveUsers = true;
    int organisationIndex = 0;
    QString organisation;  // the text of the "all organisations" entry by default

    bool operator==(const UserManagementSettings&) const = default;
};

inline constexpr int kSettingsFileSize = 272;
inline constexpr int kSettingsTextSize = 252;  // with its terminating zero

QByteArray EncodeSettings(const UserManagementSettings& settings);
// Nothing for a file of another size, a switch that is not 0 or 1, a
// negative index or a text without its terminating zero.
std::optional<UserManagementSettings> DecodeSettings(const QByteArray& bytes);

// "<BaseDir>/Temp/UserManagement.ini" with the platform's separators.
QString SettingsFilePath(const QString& baseDir);
// The file's settings, or `defaults` when it is missing or not valid.
UserManagementSettings ReadSettingsFile(const QString& path, const UserManagementSettings& defaults);
// Writes the whole file; false when it could not be written.
bool WriteSettingsFile(const QString& path, const UserManagementSettings& settings);

}  // namespace users
