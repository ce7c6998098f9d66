#pragma once
// What the profile dialog and its options dialog hold, and the rules that
// turn it into the create statement or the properties write-back. Plain code:
// the windows only move values between these and their controls.

#include "profiles/ProfileRules.h"

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace profiles {

using FeatureCheck = std::function<bool(int code)>;

// The six calculation rules of the options dialog.
struct ProfileOptions {
    bool neighbourWindSpeed = false;
    bool kerlift = false;
    bool derating = false;
    bool iec = false;
    bool eeg = false;
    bool derateUponReportCategory = false;
    bool operator==(const ProfileOptions&) const = default;
};

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
std::vector<std::pair<QString, QVariant>> propertyWrites(const ProfileInput& input, const CurrentProfile& stored,
                                                         const VersionGate& versionAtLeast,
                                                         const FeatureCheck& hasFeature);

// How the options dialog offers one box (by its column).
struct OptionOffer {
    bool visible = false;
    bool enabled = false;
};
// A box shows from its column's version. One tied to a feature code shows
// for users holding it, or where the profile already uses it; only holders
// may change it.
OptionOffer offerFor(const char* column, const VersionGate& versionAtLeast, const FeatureCheck& hasFeature,
                     bool ticked);

// The options dialog's state between the IEC, EEG and derating boxes.
struct OptionsState {
    ProfileOptions values;
    bool deratingEnabled = true;
    bool derateUponEnabled = true;
    bool iecEnabled = true;
    bool eegEnabled = true;
};

// Applied after a click on the IEC or EEG box. EEG wins over IEC; both
// exclude the derating rules. With neither ticked the derating box returns
// to its value when the dialog was shown and derate-upon stays unticked.
OptionsState applyCategorisationRule(const ProfileOptions& now, const ProfileOptions& shown);

}  // namespace profiles
