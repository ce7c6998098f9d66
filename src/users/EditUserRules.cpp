#include "users/EditUserRules.h"

namespace users {

bool IsValidEmail(const QString& email) {
    if (email.contains(u' ') || !email.contains(u'@') || !email.contains(u'.')) return false;
    const QString domain = email.mid(email.indexOf(u'@') + 1);
    if (domain.contains(u'@')) return false;
    const qsizetype dot = domain.indexOf(u'.');
    return dot >= 0 && dot != domain.size() - 1;
}

bool UserOkEnabled(const UserFields& fields, bool withPassword) {
    if (!fields.email.isEmpty() && !IsValidEmail(fields.email)) return false;
    if (fields.initials.isEmpty()) return false;
    if (!withPassword) return true;
    return !fields.password.isEmpty() && !fields.confirmation.isEmpty() &&
           fields.password == fields.confirmation;
}

}  // namespace users
