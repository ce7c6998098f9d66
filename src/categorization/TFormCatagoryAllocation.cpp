#include "categorization/TFormCatagoryAllocation.h"

#include "app/AppContext.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace categorization;

TFormCatagoryAllocation::TFormCatagoryAllocation(app::AppContext& context, QWidget* parent)
    : CategoryAllocationWindow(context, kEventAllocation, parent) {
    const auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        return edit;
    };
    LabelEventList = new QLabel(this);
    LabelEventList->setObjectName(QStringLiteral("LabelEventList"));
    EditEventList = makeEdit("EditEventList");
    LabelCategorySet = new QLabel(this);
    LabelCategorySet->setObjectName(QStringLiteral("LabelCategorySet"));
    EditCategorySet = makeEdit("EditCategorySet");
    auto* grid = new QGridLayout;
    grid->addWidget(LabelEventList, 0, 0);
    grid->addWidget(EditEventList, 0, 1);
    grid->addWidget(LabelCategorySet, 1, 0);
    grid->addWidget(EditCategorySet, 1, 1);
    grid->setColumnStretch(1, 1);
    inputLayout()->addLayout(grid);
}

void TFormCatagoryAllocation::setInputCaptions() {
    LabelEventList->setText(context_.texts().profile(kTextEventList));
    LabelCategorySet->setText(context_.texts().profile(kTextCategorySet));
    EditEventList->setText(selection_.EventListTitle);
    EditCategorySet->setText(selection_.ReportCategorySetTitle);
}

void TFormCatagoryAllocation::Prepare(const ProfileInfo& profile, const CategorySelection& selection,
                                      RegenerationMarker marker) {
    selection_ = selection;
    prepareWindow(profile, std::move(marker));
}

int TFormCatagoryAllocation::Execute(const ProfileInfo& profile, const CategorySelection& selection,
                                     RegenerationMarker marker) {
    Prepare(profile, selection, std::move(marker));
    return runModal();
}

db::Command TFormCatagoryAllocation::loadCommand() const {
    // Older databases know no responsible sources in this call.
    const int selectionType = context_.IsDatabaseVersionAtLeast(QStringLiteral("3.3.0.0")) ? 2 : 1;
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QLatin1String(variant_.loadProcedure);
    const auto input = [](const char* name, int value) {
        return db::Parameter{QLatin1String(name), db::FieldType::Integer, 0, db::ParameterDirection::Input,
                             value};
    };
    command.parameters = {
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {}},
        input("@ReportProfileId", profile().ReportProfileId),
        input("@EventListId", selection_.EventListId),
        input("@SelectionType", selectionType),
        input("@CategorysetId", selection_.ReportCategorySetId),
    };
    return command;
}

AllocationFile TFormCatagoryAllocation::emptyFile() const {
    return eventAllocationFile(selection_.EventListTitle);
}

bool TFormCatagoryAllocation::fileBelongsHere(const AllocationFile& file) {
    // Event codes are numbered per event list: another list's file would
    // allocate unrelated codes.
    if (file.eventList == selection_.EventListTitle) return true;
    context_.prompts().message(ui::Icon::Error,
                               context_.texts().profile(kTextOtherEventList) + u' ' + file.eventList,
                               context_.texts().profile(kTextInformation));
    return false;
}

QStringList TFormCatagoryAllocation::reportHeaderTexts() {
    text::TextTables& texts = context_.texts();
    return {texts.profile(kTextReportTitle), texts.profile(kTextProfile) + u' ' + profile().Title,
            texts.profile(kTextEventList) + u' ' + selection_.EventListTitle};
}
