#include "categorization/TFormCatagorySelect.h"

#include "app/AppContext.h"
#include "app/TFormStatus.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace categorization;

namespace {

const QString kRetrieving = QStringLiteral("Retrieving information");
const QString kReadFailed = QStringLiteral("The category and eventlist Information could not be retrieved.");
const QString kErrorCaption = QStringLiteral("Error");
const QString kNoSets = QStringLiteral("No Category set found for this profile");
const QString kNoLists = QStringLiteral("No eventlists found for this profile");

}  // namespace

TFormCatagorySelect::TFormCatagorySelect(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormCatagorySelect"));
    buildUi();
}

void TFormCatagorySelect::buildUi() {
    setModal(true);
    LabelCategorySet = new QLabel(this);
    LabelCategorySet->setObjectName(QStringLiteral("LabelCategorySet"));
    ComboBoxCategorySet = new QComboBox(this);
    ComboBoxCategorySet->setObjectName(QStringLiteral("ComboBoxCategorySet"));
    ComboBoxCategorySet->setMinimumContentsLength(30);
    LabelEventList = new QLabel(this);
    LabelEventList->setObjectName(QStringLiteral("LabelEventList"));
    ComboBoxEventList = new QComboBox(this);
    ComboBoxEventList->setObjectName(QStringLiteral("ComboBoxEventList"));
    ComboBoxEventList->setMinimumContentsLength(30);
    LabelCategorySet->setBuddy(ComboBoxCategorySet);
    LabelEventList->setBuddy(ComboBoxEventList);

    ButtonOK = new QPushButton(this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto* form = new QFormLayout;
    form->addRow(LabelCategorySet, ComboBoxCategorySet);
    form->addRow(LabelEventList, ComboBoxEventList);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ButtonOK, &QPushButton::clicked, this, &TFormCatagorySelect::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormCatagorySelect::ButtonCancelClick);
}

void TFormCatagorySelect::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    LabelCategorySet->setText(texts.profile(kTextCategorySet));
    LabelEventList->setText(texts.profile(kTextEventList));
    ButtonOK->setText(texts.profile(kTextOK));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormCatagorySelect::fail(const QString& text, const QString& caption) {
    context_.prompts().message(ui::Icon::Error, text, caption);
}

bool TFormCatagorySelect::read(int reportProfileId, std::vector<Entry>* sets, std::vector<Entry>* lists) {
    TFormStatus* status = context_.windows().status;
    if (!status || status->isExecuting()) return false;
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QStringLiteral("WMS_SP_CRQ_HandleReportCategory");
    command.parameters = {
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {}},
        {QStringLiteral("@Action"), db::FieldType::Integer, 0, db::ParameterDirection::Input, 4},
        {QStringLiteral("@ReportProfileId"), db::FieldType::Integer, 0, db::ParameterDirection::Input,
         reportProfileId},
        {QStringLiteral("@ReportCategoryId"), db::FieldType::Integer, 0, db::ParameterDirection::Input,
         QVariant()},
    };
    bool ok = false;
    status->StartStatusDialog(0, kRetrieving, false);
    try {
        ok = status->ExecuteAsync(context_.Database(), command);
        const db::Result& result = status->lastResult();
        ok = ok && result.resultSets.size() >= 2;
        if (ok) {
            const auto take = [](const db::ResultSet& rows, const char* idName, const char* titleName,
                                 std::vector<Entry>* into) {
                int id = rows.columnIndex(QLatin1String(idName));
                int title = rows.columnIndex(QLatin1String(titleName));
                if (id < 0) id = 0;
                if (title < 0) title = 1;
                for (const db::Row& row : rows.rows)
                    if (size_t(std::max(id, title)) < row.size())
                        into->push_back({row[size_t(id)].toInt(), row[size_t(title)].toString()});
            };
            take(result.resultSets[0], "ReportCategorySetId", "ReportCategorySetTitle", sets);
            take(result.resultSets[1], "EventListId", "EventListTitle", lists);
        } else {
            context_.trace().Trace(app::TraceLevel::Error,
                                   QStringLiteral("Caught Exception: ") + status->errorText());
        }
    } catch (const std::exception& e) {
        context_.trace().Trace(app::TraceLevel::Error,
                               QStringLiteral("Caught Exception: ") + QString::fromUtf8(e.what()));
        ok = false;
    }
    status->StopStatusDialog();
    return ok;
}

bool TFormCatagorySelect::Select(int reportProfileId) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormCatagorySelect::Select"));
    selection_ = {};
    ComboBoxCategorySet->clear();
    ComboBoxEventList->clear();
    setCaptions();
    std::vector<Entry> sets;
    std::vector<Entry> lists;
    if (!read(reportProfileId, &sets, &lists)) {
        fail(kReadFailed, kErrorCaption);
        return false;
    }
    if (sets.empty()) {
        fail(kNoSets, windowTitle());
        return false;
    }
    if (lists.empty()) {
        fail(kNoLists, windowTitle());
        return false;
    }
    for (const Entry& set : sets) ComboBoxCategorySet->addItem(set.title);
    for (const Entry& list : lists) ComboBoxEventList->addItem(list.title);
    ComboBoxCategorySet->setCurrentIndex(0);
    ComboBoxEventList->setCurrentIndex(0);
    if (sets.size() > 1 || lists.size() > 1) {
        if (exec() != QDialog::Accepted) return false;
    }
    const Entry& set = sets[size_t(std::max(ComboBoxCategorySet->currentIndex(), 0))];
    const Entry& list = lists[size_t(std::max(ComboBoxEventList->currentIndex(), 0))];
    selection_ = {set.id, set.title, list.id, list.title};
    return true;
}

void TFormCatagorySelect::ButtonOKClick() { accept(); }

void TFormCatagorySelect::ButtonCancelClick() { reject(); }
