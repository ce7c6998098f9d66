#include "demo/DemoSession.h"

#include <QDir>
#include <QFileInfo>
#include <map>

namespace demo {

app::SessionDescription demoSession(const reportdb::demo::Summary& demo, const QString& databasePath,
                                    const SessionChoices& choices) {
    app::SessionDescription d;
    d.SessionId = choices.sessionId;
    d.UserId = demo.administratorUserId;
    d.UserInit = demo.administratorInitials;
    d.Language = choices.language;
    d.DBVersion = demo.versionText;
    d.Online = QStringLiteral("YES");
    d.TraceLevel = choices.traceLevel;
    d.FeatureCode = choices.features;
    if (!choices.baseDir.isEmpty()) {
        const QDir base(choices.baseDir);
        d.ProgramFilesDir = base.path();
        d.BaseDir = base.path();
        d.DataDir = base.filePath(QStringLiteral("Data"));
        d.SysDir = base.filePath(QStringLiteral("System"));
        d.ProjectDir = base.filePath(QStringLiteral("Projects"));
    }
    if (!choices.sysDir.isEmpty()) d.SysDir = choices.sysDir;
    d.ParkName = demo.parkName;
    std::map<int, app::SessionScenario> byType;
    for (const auto& unit : demo.parkUnits) {
        app::SessionParkUnit u;
        u.SParkUnitId = unit.ParkUnitId;
        u.ParkUnitTitle = unit.ParkUnitTitle;
        u.CommunicationLabel = unit.CommunicationLabel;
        u.ParkUnitSerialNumber = unit.ParkUnitSerialNumber;
        u.UnitTypeId = unit.UnitTypeId;
        u.UnitTypeTitle = unit.UnitTypeTitle;
        u.DeviceTitle = unit.UnitTypeDevice;
        u.UnitTypeCapacity = unit.UnitTypeCapacity;
        u.EventListId = unit.EventListId;
        u.EventListFileName = unit.EventListFileName;
        d.ParkUnits.push_back(u);
        // One scenario per turbine type.
        if (unit.UnitTypeDevice == QLatin1String("WTG")) {
            auto& scenario = byType[unit.UnitTypeId];
            scenario.SScenarioId = unit.UnitTypeId;
            scenario.ScenarioName = unit.UnitTypeTitle;
            scenario.ParkUnitIds.push_back(unit.ParkUnitId);
        }
    }
    for (auto& [type, scenario] : byType) d.Scenarios.push_back(std::move(scenario));
    if (!d.Scenarios.empty()) d.ScenarioActive = QString::number(d.Scenarios.front().SScenarioId);
    d.OnlineConfiguration =
        QStringLiteral("Provider=Embedded;Data Source=%1;Catalog=%2;User ID=%3")
            .arg(QFileInfo(databasePath).absoluteFilePath(), choices.catalog, demo.loginName);
    return d;
}

}  // namespace demo
