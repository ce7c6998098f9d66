#pragma once
// The enabling rules of the user dialog, without widgets.

#include <QString>

namespace users {

// No blank; an "@" and a "."; after the first "@" no further "@", and a "."
// that is not the last character.
bool IsValidEmail(const QString& email);

struct UserFields {
    QString initials;
    QString password;
    QString confirmation;
    QString email;
};

// OK of the user dialog. `withPassword`: the database keeps passwords, so
// password and confirmation must be given and equal.
bool UserOkEnabled(const UserFields& fields, bool withPassword);

}  // namespace users
