#include "categorization/TFormDeratingCatagoryAllocation.h"

using namespace categorization;

TFormDeratingCatagoryAllocation::TFormDeratingCatagoryAllocation(app::AppContext& context, QWidget* parent)
    : CategoryAllocationWindow(context, kDeratingAllocation, parent) {}

void TFormDeratingCatagoryAllocation::Prepare(const ProfileInfo& profile, RegenerationMarker marker) {
    prepareWindow(profile, std::move(marker));
}

int TFormDeratingCatagoryAllocation::Execute(const ProfileInfo& profile, RegenerationMarker marker) {
    Prepare(profile, std::move(marker));
    return runModal();
}

db::Command TFormDeratingCatagoryAllocation::loadCommand() const {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QLatin1String(variant_.loadProcedure);
    command.parameters = {
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {}},
        {QStringLiteral("@ReportProfileId"), db::FieldType::Integer, 0, db::ParameterDirection::Input,
         profile().ReportProfileId},
    };
    return command;
}
