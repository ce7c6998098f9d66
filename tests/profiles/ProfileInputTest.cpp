// The profile dialog's rules: the create statement, the properties write-back
// and the options dialog's offers and categorisation rule.

#include "db/VersionGate.h"
#include "profiles/ProfileInput.h"
#include "support/TempDatabase.h"

#include <gtest/gtest.h>

namespace {

using namespace profiles;

VersionGate on(const char* version) {
    return [v = QString::fromLatin1(version)](const QString& threshold) {
        return db::IsDatabaseVersionAtLeast(v, threshold);
    };
}
const FeatureCheck kNoFeatures = [](int) { return false; };
const FeatureCheck kAllFeatures = [](int) { return true; };

ProfileInput everyOption() {
    ProfileInput input;
    input.title = QStringLiteral("O'Brien's park");
    input.description = QStringLiteral("North");
    input.autoGenerate = input.integrity = input.seaLevel = true;
    input.contract = QStringLiteral("RTV2200");
    input.options = {true, false, true, true, false, true};
    return input;
}

TEST(CreateProfileStatement, AppendsEachOptionFromItsVersion) {
    ProfileInput plain;
    plain.title = QStringLiteral("A");
    const struct {
        const char* version;
        ProfileInput input;
        const char* expected;
    } cases[] = {
        {"3.0.0.0", plain,
         "DCE_SP_CreateNewReportProfile @ProfileName = 'A', @ProfileLocked = 0, "
         "@ReportProfileJobScheduleEnabled = 0, @ProfileDescription = 'no d''esc', @UserId = 7 "},
        {"3.9.1.2", plain,
         "DCE_SP_CreateNewReportProfile @ProfileName = 'A', @ProfileLocked = 0, "
         "@ReportProfileJobScheduleEnabled = 0, @ProfileDescription = 'no d''esc', @UserId = 7 , "
         "@DataIntegrityCalculationEnabled = 0, @AvailabilityContract = RTV2100"},
        {"3.28.0.0", everyOption(),
         "DCE_SP_CreateNewReportProfile @ProfileName = 'O''Brien''s park', @ProfileLocked = 0, "
         "@ReportProfileJobScheduleEnabled = 1, @ProfileDescription = 'North', @UserId = 7 , "
         "@DataIntegrityCalculationEnabled = 1, @AvailabilityContract = RTV2200, @UseSeaLevel = 1, "
         "@UseNeighborWindSpeed = 1, @UseKerliftReporting = 0, @UseDeratingCategorisation = 1, "
         "@UseIECReporting = 1, @UseEEGReporting = 0, @UseDerateCategoryRule = 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(createProfileStatement(c.input, 7, on(c.version), QStringLiteral("no d'esc")).toStdString(),
                  c.expected);
    }
    ProfileInput rule1 = everyOption();
    rule1.options.derateUponReportCategory = false;
    EXPECT_TRUE(createProfileStatement(rule1, 7, on("3.28.0.0"), {}).endsWith("@UseDerateCategoryRule = 1"));
}

TEST(CreateProfileStatement, StoresTheProfileAsTypedForItsUser) {
    testing_support::TempDatabase database("3.28.0.0");
    database.exec("INSERT INTO TUser (UserId, UserInitials) VALUES (7, 'ADM')");
    auto connection = database.connect();
    ASSERT_TRUE(connection);
    db::Command create;
    create.text = createProfileStatement(everyOption(), 7, on("3.28.0.0"), {});
    ASSERT_TRUE(connection->execute(create).ok());
    const auto one = [&](const char* sql) { return database.scalar(QLatin1String(sql)).toString(); };
    EXPECT_EQ(
        one("SELECT ReportProfileTitle || '|' || AvailabilityContract || '|' || UseIECReporting || '|' || "
            "DerateCategoryRule FROM TReportProfile"),
        "O'Brien's park|RTV2200|1|2");
    EXPECT_EQ(one("SELECT UserId FROM TUser_TReportProfile"), "7");
    EXPECT_EQ(one("SELECT count(*) FROM TReportCategorySet"), "2");
}

TEST(ProfileProperties, WritesEachColumnFromItsVersionAndTheContractChangeMarksThePendingFlag) {
    CurrentProfile stored;
    stored.AvailabilityContract = QStringLiteral("RTV2100");
    const auto columns = [&](const ProfileInput& input, const char* version, const FeatureCheck& features) {
        QStringList out;
        for (const auto& [column, value] : propertyWrites(input, stored, on(version), features))
            out << column + QLatin1Char('=') + value.toString();
        return out.join(QLatin1Char(' ')).toStdString();
    };
    const std::string head =
        "ReportProfileTitle=O'Brien's park ReportProfileDescription=North "
        "ReportProfileLocked=0 ReportProfileJobScheduleEnabled=1";
    EXPECT_EQ(columns(everyOption(), "3.0.0.0", kAllFeatures), head);
    // IEC needs its version as well as the feature code.
    EXPECT_EQ(columns(everyOption(), "3.21.100.0", kAllFeatures),
              head +
                  " DataIntegrityCalculationEnabled=1 ReportProfileRegeneratePendingFlag=1 "
                  "AvailabilityContract=RTV2200 UseSeaLevel=1 UseNeighborWindSpeed=1 UseKerliftReporting=0 "
                  "UseDeratingCategorisation=1");
    ProfileInput sameContract = everyOption();
    sameContract.contract = stored.AvailabilityContract;
    EXPECT_EQ(columns(sameContract, "3.28.0.0", kNoFeatures),
              head +
                  " DataIntegrityCalculationEnabled=1 AvailabilityContract=RTV2100 UseSeaLevel=1 "
                  "UseNeighborWindSpeed=1 UseKerliftReporting=0 UseDeratingCategorisation=1 "
                  "UseEEGReporting=0 DerateCategoryRule=2");
}

TEST(ProfileOptions, OffersFollowTheColumnsAndTheIecFeature) {
    const auto offer = [](const char* column, const char* version, const FeatureCheck& features,
                          bool ticked) {
        const OptionOffer o = offerFor(column, on(version), features, ticked);
        return std::pair{o.visible, o.enabled};
    };
    using P = std::pair<bool, bool>;
    EXPECT_EQ(offer("UseEEGReporting", "3.23.1.0", kAllFeatures, false), P(false, false));
    EXPECT_EQ(offer("UseEEGReporting", "3.23.100.0", kNoFeatures, false), P(true, true));
    EXPECT_EQ(offer("DerateCategoryRule", "3.25.0.0", kAllFeatures, true), P(false, false));
    EXPECT_EQ(offer("UseIECReporting", "3.20.0.0", kAllFeatures, true), P(false, false));
    EXPECT_EQ(offer("UseIECReporting", "3.28.0.0", kNoFeatures, false), P(false, false));
    // A profile already using IEC shows it to everyone; only holders change it.
    EXPECT_EQ(offer("UseIECReporting", "3.28.0.0", kNoFeatures, true), P(true, false));
    EXPECT_EQ(offer("UseIECReporting", "3.28.0.0", kAllFeatures, false), P(true, true));
}

TEST(ProfileOptions, CategorisationRuleKeepsIecAndEegApartAndRestoresDerating) {
    ProfileOptions shown;
    shown.derating = true;
    shown.derateUponReportCategory = true;
    // {iec, eeg} clicked -> derating, derate-upon, iec, eeg; enabled derating, iec, eeg.
    const struct {
        bool iec, eeg;
        const char* expected;
    } cases[] = {
        {false, true, "0001|0 0 1"},
        {true, true, "0001|0 0 1"},
        {true, false, "0010|0 1 0"},
        {false, false, "1000|1 1 1"},  // derate-upon stays unticked after EEG went off
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        ProfileOptions now = shown;
        now.iec = c.iec;
        now.eeg = c.eeg;
        const contracts::OptionsState s = contracts::applyCategorisationRule(now, shown);
        EXPECT_EQ(QStringLiteral("%1%2%3%4|%5 %6 %7")
                      .arg(int(s.values.derating))
                      .arg(int(s.values.derateUponReportCategory))
                      .arg(int(s.values.iec))
                      .arg(int(s.values.eeg))
                      .arg(int(s.deratingEnabled && s.derateUponEnabled))
                      .arg(int(s.iecEnabled))
                      .arg(int(s.eegEnabled))
                      .toStdString(),
                  c.expected);
    }
}

}  // namespace
