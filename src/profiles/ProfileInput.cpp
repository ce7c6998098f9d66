#include "profiles/ProfileInput.h"

#include "db/Parameters.h"

namespace profiles {

namespace {

const GatedColumn* findColumn(const char* column) {
    for (const GatedColumn& gated : kGatedProfileColumns)
        if (qstrcmp(gated.column, column) == 0) return &gated;
    return nullptr;
}

}  // namespace

ProfileInput inputFromProfile(const CurrentProfile& profile) {
    ProfileInput input;
    input.title = profile.Title;
    input.description = profile.Description;
    input.locked = profile.Locked == 1;
    input.autoGenerate = profile.JobScheduleEnabled == 1;
    input.integrity = profile.DataIntegrityCalculationEnabled;
    input.contract = profile.AvailabilityContract;
    input.seaLevel = profile.UseSeaLevel;
    input.options.neighbourWindSpeed = profile.UseNeighborWindSpeed;
    input.options.kerlift = profile.UseKerliftReporting;
    input.options.derating = profile.UseDeratingCategorisation;
    input.options.iec = profile.UseIECReporting;
    input.options.eeg = profile.UseEEGReporting;
    input.options.derateUponReportCategory = profile.DerateCategoryRule == 2;
    return input;
}

QVariant gatedValue(const ProfileInput& input, const GatedColumn& column) {
    const QLatin1String name(column.column);
    const auto bit = [](bool value) { return QVariant(value ? 1 : 0); };
    if (name == QLatin1String("DataIntegrityCalculationEnabled")) return bit(input.integrity);
    if (name == QLatin1String("AvailabilityContract")) return input.contract;
    if (name == QLatin1String("UseSeaLevel")) return bit(input.seaLevel);
    if (name == QLatin1String("UseNeighborWindSpeed")) return bit(input.options.neighbourWindSpeed);
    if (name == QLatin1String("UseKerliftReporting")) return bit(input.options.kerlift);
    if (name == QLatin1String("UseDeratingCategorisation")) return bit(input.options.derating);
    if (name == QLatin1String("UseIECReporting")) return bit(input.options.iec);
    if (name == QLatin1String("UseEEGReporting")) return bit(input.options.eeg);
    if (name == QLatin1String("DerateCategoryRule")) return input.options.derateUponReportCategory ? 2 : 1;
    return {};
}

QString createProfileStatement(const ProfileInput& input, int userId, const VersionGate& versionAtLeast,
                               const QString& emptyDescription) {
    const QString description =
        db::QuoteSqlText(input.description.isEmpty() ? emptyDescription : input.description);
    QString statement =
        QStringLiteral(
            "DCE_SP_CreateNewReportProfile @ProfileName = '%1', @ProfileLocked = %2, "
            "@ReportProfileJobScheduleEnabled = %3, @ProfileDescription = '%4', @UserId = %5 ")
            .arg(db::QuoteSqlText(input.title))
            .arg(input.locked ? 1 : 0)
            .arg(input.autoGenerate ? 1 : 0)
            .arg(description)
            .arg(userId);
    for (const GatedColumn& gated : kGatedProfileColumns) {
        if (!versionAtLeast(QLatin1String(gated.threshold))) continue;
        // The contract is a bare word: the call parser takes it as a name.
        statement += QStringLiteral(", %1 = %2")
                         .arg(QLatin1String(gated.parameter), gatedValue(input, gated).toString());
    }
    return statement;
}

std::vector<std::pair<QString, QVariant>> propertyWrites(const ProfileInput& input,
                                                         const CurrentProfile& stored,
                                                         const VersionGate& versionAtLeast,
                                                         const FeatureCheck& hasFeature) {
    std::vector<std::pair<QString, QVariant>> writes{
        {QStringLiteral("ReportProfileTitle"), input.title},
        {QStringLiteral("ReportProfileDescription"), input.description},
        {QStringLiteral("ReportProfileLocked"), input.locked ? 1 : 0},
        {QStringLiteral("ReportProfileJobScheduleEnabled"), input.autoGenerate ? 1 : 0},
    };
    for (const GatedColumn& gated : kGatedProfileColumns) {
        if (!versionAtLeast(QLatin1String(gated.threshold))) continue;
        if (gated.featureCode != 0 && !hasFeature(gated.featureCode)) continue;
        const QVariant value = gatedValue(input, gated);
        if (qstrcmp(gated.column, "AvailabilityContract") == 0 &&
            value.toString() != stored.AvailabilityContract)
            writes.emplace_back(QStringLiteral("ReportProfileRegeneratePendingFlag"), 1);
        writes.emplace_back(QLatin1String(gated.column), value);
    }
    return writes;
}

OptionOffer offerFor(const char* column, const VersionGate& versionAtLeast, const FeatureCheck& hasFeature,
                     bool ticked) {
    const GatedColumn* gated = findColumn(column);
    if (!gated || !versionAtLeast(QLatin1String(gated->threshold))) return {};
    if (gated->featureCode == 0) return {true, true};
    const bool holder = hasFeature(gated->featureCode);
    return {holder || ticked, holder};
}

contracts::OptionOffers optionOffers(const VersionGate& versionAtLeast, const FeatureCheck& hasFeature,
                                     const ProfileOptions& values) {
    contracts::OptionOffers offers;
    offers.neighbourWindSpeed =
        offerFor("UseNeighborWindSpeed", versionAtLeast, hasFeature, values.neighbourWindSpeed);
    offers.kerlift = offerFor("UseKerliftReporting", versionAtLeast, hasFeature, values.kerlift);
    offers.derating = offerFor("UseDeratingCategorisation", versionAtLeast, hasFeature, values.derating);
    offers.derateUponReportCategory =
        offerFor("DerateCategoryRule", versionAtLeast, hasFeature, values.derateUponReportCategory);
    offers.iec = offerFor("UseIECReporting", versionAtLeast, hasFeature, values.iec);
    offers.eeg = offerFor("UseEEGReporting", versionAtLeast, hasFeature, values.eeg);
    if (!offers.derating.visible) offers.derateUponReportCategory = {};
    return offers;
}

}  // namespace profiles
