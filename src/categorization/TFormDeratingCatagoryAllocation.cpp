#include "categorization/TFormDeratingCatagoryAllocation.h"

#include "app/AppContext.h"

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

AllocationFile TFormDeratingCatagoryAllocation::emptyFile() const { return deratingAllocationFile(); }

bool TFormDeratingCatagoryAllocation::fileBelongsHere(const AllocationFile& file) {
    if (file.deratingSources == QLatin1String(kAllDeratingSources)) return true;
    context_.prompts().message(ui::Icon::Error, context_.texts().profile(kTextNotADeratingFile),
                               context_.texts().profile(kTextInformation));
    return false;
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
