#include "profiles/ProfileRules.h"

#include "db/DataSet.h"

namespace profiles {

namespace {

bool has(const db::DataSet& list, const char* column) { return list.fieldIndex(QLatin1String(column)) >= 0; }

}  // namespace

CurrentProfile readCurrentProfile(const db::DataSet& list, const VersionGate& versionAtLeast) {
    CurrentProfile p;
    if (!list.isOpen() || list.recordCount() == 0 || list.currentRow() < 0) return p;
    const auto value = [&list](const char* column) { return list.value(QLatin1String(column)); };
    p.ProfileId = value("ReportProfileId").toInt();
    p.Title = value("ReportProfileTitle").toString();
    p.Description = value("ReportProfileDescription").toString();
    p.Locked = value("ReportProfileLocked").toInt();
    p.JobScheduleEnabled = value("ReportProfileJobScheduleEnabled").toInt();
    p.Busy = value("ReportProfileStatus").toInt() > 0;

    // A gated column is read only where the version provides it and the
    // list actually has it (the fallback statement has none of them).
    const auto gated = [&](const char* column, const char* threshold) {
        return versionAtLeast(QLatin1String(threshold)) && has(list, column) && !value(column).isNull();
    };
    if (gated("DataIntegrityCalculationEnabled", "3.1.0.0"))
        p.DataIntegrityCalculationEnabled = value("DataIntegrityCalculationEnabled").toBool();
    if (gated("AvailabilityContract", "3.9.1.2"))
        p.AvailabilityContract = value("AvailabilityContract").toString();
    if (gated("UseSeaLevel", "3.9.3.10")) p.UseSeaLevel = value("UseSeaLevel").toBool();
    if (gated("UseNeighborWindSpeed", "3.10.1.1"))
        p.UseNeighborWindSpeed = value("UseNeighborWindSpeed").toBool();
    if (gated("UseKerliftReporting", "3.12.0.0"))
        p.UseKerliftReporting = value("UseKerliftReporting").toBool();
    if (gated("UseDeratingCategorisation", "3.12.0.0"))
        p.UseDeratingCategorisation = value("UseDeratingCategorisation").toBool();
    if (gated("UseIECReporting", "3.21.101.0")) p.UseIECReporting = value("UseIECReporting").toBool();
    if (gated("UseEEGReporting", "3.23.100.0")) p.UseEEGReporting = value("UseEEGReporting").toBool();
    if (gated("DerateCategoryRule", "3.26.0.0")) p.DerateCategoryRule = value("DerateCategoryRule").toInt();
    return p;
}

QString StatusTexts::statusText(const QVariant& statusValue, const QVariant& pendingFlag) {
    const int status = statusValue.toInt();
    if (status < 0) return text_(297);
    if (status > 0) {
        observe(status);
        const int percent = int((qint64(largestSeen_) - status) * 100 / largestSeen_);
        return text_(296) + QStringLiteral(" (") + QString::number(percent) + QStringLiteral("%)");
    }
    if (pendingFlag.isNull()) return {};
    switch (pendingFlag.toInt()) {
        case 0: return text_(290);
        case 1: return text_(295);
        default: return {};
    }
}

QString lockText(const QVariant& locked, const std::function<QString(int)>& text) {
    if (locked.isNull()) return {};
    switch (locked.toInt()) {
        case 0: return text(291);
        case 1: return text(292);
        default: return {};
    }
}

QString autoGenerateText(const QVariant& jobScheduleEnabled, const std::function<QString(int)>& text) {
    if (jobScheduleEnabled.isNull()) return {};
    switch (jobScheduleEnabled.toInt()) {
        case 0: return text(293);
        case 1: return text(294);
        default: return {};
    }
}

CommandStates computeCommandStates(const EnablingInputs& in) {
    CommandStates s;
    const auto& p = in.profile;
    const bool locked = p.Locked != 0;
    const bool canEdit = !locked && in.F3 && !in.Empty;
    const bool canRemove = canEdit && in.enable && p.JobScheduleEnabled == 0;

    s.normCurve = s.userAccess = s.validation = s.freeWind = in.enable;
    s.createProfile = in.enable && in.F3;
    s.windSectors = in.Db230 && in.enable;
    s.importAndRemap = !locked;
    s.remove = canRemove;

    if (!in.enable) {
        s.unlockVisible = in.F101;
        return s;
    }

    s.unlockVisible = in.F101;
    s.unlockEnabled = in.F101 && locked;
    s.unlockAction = s.unlockVisible && locked;
    s.regenerate = in.F3 && !in.Empty;
    s.properties = canEdit;
    s.units = !in.Empty;
    s.categoryConfiguration = in.Db300 && !in.Empty;
    s.categorization = s.categoryConfiguration && !p.UseEEGReporting;
    s.signOff = canEdit && in.Db370 && in.F146;
    return s;
}

}  // namespace profiles
