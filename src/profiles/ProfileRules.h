#pragma once
// The profile list's rules, kept apart from the window: the calculated texts
// of a row, the current-profile values with their version defaults, and which
// commands are enabled.

#include <QString>
#include <QVariant>
#include <algorithm>
#include <functional>

namespace db {
class DataSet;
class RowView;
}  // namespace db

namespace profiles {

// Columns of the profile record that exist only from a database version on.
// The create statement, the properties write-back and the options dialog all
// read this table, so a dialog never offers a value the database cannot store.
struct GatedColumn {
    const char* column;
    const char* threshold;
    const char* parameter;  // of DCE_SP_CreateNewReportProfile
    const char* box;        // the control that edits it
    int featureCode;        // needed to change the value (0: none)
};
inline constexpr int kFeatureIecCategorisation = 153;
inline constexpr GatedColumn kGatedProfileColumns[] = {
    {"DataIntegrityCalculationEnabled", "3.1.0.0", "@DataIntegrityCalculationEnabled",
     "CheckBoxEnableIntegrityCalc", 0},
    {"AvailabilityContract", "3.9.1.2", "@AvailabilityContract", "ComboBoxContract", 0},
    {"UseSeaLevel", "3.9.3.10", "@UseSeaLevel", "CheckBoxUseSeaLevel", 0},
    {"UseNeighborWindSpeed", "3.10.1.1", "@UseNeighborWindSpeed", "CheckBoxUseNeighbourWindSpeed", 0},
    {"UseKerliftReporting", "3.12.0.0", "@UseKerliftReporting", "CheckBoxUseKerliftReporting", 0},
    {"UseDeratingCategorisation", "3.12.0.0", "@UseDeratingCategorisation", "CheckBoxUseDeratingCategorisation",
     0},
    {"UseIECReporting", "3.21.101.0", "@UseIECReporting", "CheckBoxIECCategorization", kFeatureIecCategorisation},
    {"UseEEGReporting", "3.23.100.0", "@UseEEGReporting", "CheckBoxEEGCategorization", 0},
    {"DerateCategoryRule", "3.26.0.0", "@UseDerateCategoryRule", "CheckBoxUseDerateCategoryUponReportCategory", 0},
};

using VersionGate = std::function<bool(const QString& threshold)>;

// The selected profile's values that the commands depend on. Columns the
// database version does not provide keep these defaults.
struct CurrentProfile {
    int ProfileId = 0;
    QString Title;
    QString Description;
    int Locked = 0;
    int JobScheduleEnabled = 0;
    bool DataIntegrityCalculationEnabled = false;
    QString AvailabilityContract = QStringLiteral("RTV2100");
    bool UseSeaLevel = false;
    bool UseNeighborWindSpeed = false;
    bool UseKerliftReporting = false;
    bool UseDeratingCategorisation = false;
    bool UseIECReporting = false;
    bool UseEEGReporting = false;
    int DerateCategoryRule = 1;
    bool Busy = false;  // a regeneration is running (status > 0)
};

// The current row's values; an empty or closed list gives the defaults.
CurrentProfile readCurrentProfile(const db::DataSet& list, const VersionGate& versionAtLeast);

// The status column. Remembers the largest status value seen, which only
// grows, as the scale of the percentage.
class StatusTexts {
public:
    using TextLookup = std::function<QString(int number)>;
    explicit StatusTexts(TextLookup text) : text_(std::move(text)) {}

    QString statusText(const QVariant& status, const QVariant& pendingFlag);
    // Takes a status value into the scale (every row of a freshly read list).
    void observe(int status) { largestSeen_ = std::max(largestSeen_, status); }
    int largestSeen() const { return largestSeen_; }

private:
    TextLookup text_;
    int largestSeen_ = 0;
};

QString lockText(const QVariant& locked, const std::function<QString(int)>& text);
QString autoGenerateText(const QVariant& jobScheduleEnabled, const std::function<QString(int)>& text);

struct EnablingInputs {
    bool enable = true;
    bool F3 = false;    // edit profile configuration
    bool F101 = false;  // lock and unlock
    bool F146 = false;  // shadow data sign-off
    bool Empty = true;
    CurrentProfile profile;
    bool Db230 = false;  // "2.30.0.0"
    bool Db300 = false;  // "3.0.0.0"
    bool Db370 = false;  // "3.7.0.0"
};

struct CommandStates {
    bool normCurve = false, userAccess = false, validation = false, freeWind = false;
    bool createProfile = false;
    bool windSectors = false;  // only databases from 2.30 offer them
    bool unlockVisible = false, unlockEnabled = false, unlockAction = false;
    bool properties = false, units = false, categoryConfiguration = false, categorization = false;
    bool regenerate = false, remove = false;
    // Sign-off follows its condition on every call; it is never left over
    // from the previously selected profile.
    bool signOff = false;
    bool importAndRemap = false;  // the allocation windows' import and re-map buttons
};

CommandStates computeCommandStates(const EnablingInputs& in);

}  // namespace profiles
