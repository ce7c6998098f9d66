#pragma once
// What the profile dialog and its options dialog hold, and the rules that
// turn it into the create statement or the properties write-back. Plain code:
// the windows only move values between these and their controls.

#include "contracts/ProfileOptions.h"
#include "profiles/ProfileRules.h"

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace profiles {

using FeatureCheck = std::function<bool(int code)>;

using contracts::OptionOffer;
using contracts::ProfileOptions;

struct ProfileInput {
    QString title;
    QString description;
    bool locked = false;
    bool autoGenerate = false;
    bool integrity = false;
    QString contract = QStringLiteral("RTV2100");
    bool seaLevel = false;
    ProfileOptions options;
};

ProfileInput inputFromProfile(const CurrentProfile& profile);

// The value the input gives a gated column: boxes as 0/1, the contract as its
// name, the derate rule as 2 (upon report category) or 1.
QVariant gatedValue(const ProfileInput& input, const GatedColumn& column);

// The create call as text. Title and description are quoted for the SQL
// literal; an empty description is replaced by `emptyDescription`; each option
// is appended only where the database version has its column.
QString createProfileStatement(const ProfileInput& input, int userId, const VersionGate& versionAtLeast,
                               const QString& emptyDescription);

// The columns the properties write-back sets, with their values, in order.
// A gated column is written only from its version, and one tied to a feature
// code only for a user holding it. A changed contract sets the pending flag
// first: the shadow data no longer matches it.
std::vector<std::pair<QString, QVariant>> propertyWrites(const ProfileInput& input,
                                                         const CurrentProfile& stored,
                                                         const VersionGate& versionAtLeast,
                                                         const FeatureCheck& hasFeature);

// How the options dialog offers one box (by its column).
// A box shows from its column's version. One tied to a feature code shows
// for users holding it, or where the profile already uses it; only holders
// may change it.
OptionOffer offerFor(const char* column, const VersionGate& versionAtLeast, const FeatureCheck& hasFeature,
                     bool ticked);

// The offers of the options dialog's six boxes. The derate-upon box needs
// the derating box, so it never shows without it.
contracts::OptionOffers optionOffers(const VersionGate& versionAtLeast, const FeatureCheck& hasFeature,
                                     const ProfileOptions& values);

}  // namespace profiles
