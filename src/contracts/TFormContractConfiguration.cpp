#include "contracts/TFormContractConfiguration.h"

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/LoadOnFirstShow.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int kTextOK = 50;
constexpr int kTextCancel = 51;
constexpr int kTextErrorCaption = 210;
constexpr int kTextNotSaved = 213;
constexpr int kTextCaption = 220;
constexpr int kTextContract = 221;
constexpr int kTextSteps = 222;
constexpr int kTextLoading = 223;
constexpr int kTextSaving = 224;
constexpr int kHintUp = 225;
constexpr int kHintDown = 226;
constexpr int kTextNotLoaded = 230;
constexpr int kTextAttention = 231;
constexpr int kTextLastStep = 232;
constexpr int kIdListSize = 4000;

db::Parameter textParameter(const char* name, const QString& value) {
    db::Parameter parameter;
    parameter.name = QLatin1String(name);
    parameter.type = db::FieldType::String;
    parameter.size = kIdListSize;
    parameter.value = value;
    return parameter;
}

db::Command procedure(const char* name) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QLatin1String(name);
    db::Parameter returnValue;
    returnValue.name = QStringLiteral("@ReturnValue");
    returnValue.type = db::FieldType::Integer;
    returnValue.direction = db::ParameterDirection::ReturnValue;
    command.parameters.push_back(returnValue);
    return command;
}
}  // namespace

TFormContractConfiguration::TFormContractConfiguration(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormContractConfiguration"));
    buildUi();
}

QString TFormContractConfiguration::text(int number) { return context_.texts().profile(number); }

void TFormContractConfiguration::buildUi() {
    setModal(true);
    LabelContract = new QLabel(this);
    LabelContract->setObjectName(QStringLiteral("LabelContract"));
    ComboBoxContract = new QComboBox(this);
    ComboBoxContract->setObjectName(QStringLiteral("ComboBoxContract"));
    LabelContract->setBuddy(ComboBoxContract);
    LabelCalculationSteps = new QLabel(this);
    LabelCalculationSteps->setObjectName(QStringLiteral("LabelCalculationSteps"));
    CheckListBoxCalculationSteps = new QListWidget(this);
    CheckListBoxCalculationSteps->setObjectName(QStringLiteral("CheckListBoxCalculationSteps"));
    LabelCalculationSteps->setBuddy(CheckListBoxCalculationSteps);
    BitBtnUp = new QToolButton(this);
    BitBtnUp->setObjectName(QStringLiteral("BitBtnUp"));
    BitBtnUp->setArrowType(Qt::UpArrow);
    BitBtnDown = new QToolButton(this);
    BitBtnDown->setObjectName(QStringLiteral("BitBtnDown"));
    BitBtnDown->setArrowType(Qt::DownArrow);
    // The moves work from the keyboard while the list has the focus.
    BitBtnUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    BitBtnDown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    ButtonOK = new QPushButton(this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto* grid = new QGridLayout;
    grid->addWidget(LabelContract, 0, 0);
    grid->addWidget(ComboBoxContract, 0, 1);
    grid->addWidget(LabelCalculationSteps, 1, 0, 1, 2);
    grid->addWidget(CheckListBoxCalculationSteps, 2, 0, 1, 2);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(BitBtnUp);
    moves->addWidget(BitBtnDown);
    moves->addStretch();
    grid->addLayout(moves, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(420, 360);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(0);
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { TimerStart->start(); });

    using Self = TFormContractConfiguration;
    connect(TimerStart, &QTimer::timeout, this, &Self::TimerStartTimer);
    connect(ComboBoxContract, &QComboBox::currentIndexChanged, this, &Self::ComboBoxContractChange);
    connect(CheckListBoxCalculationSteps, &QListWidget::itemChanged, this,
            &Self::CheckListBoxCalculationStepsClickCheck);
    connect(BitBtnUp, &QToolButton::clicked, this, &Self::BitBtnUpClick);
    connect(BitBtnDown, &QToolButton::clicked, this, &Self::BitBtnDownClick);
    connect(ButtonOK, &QPushButton::clicked, this, &Self::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &Self::ButtonCancelClick);
}

void TFormContractConfiguration::setCaptions() {
    setWindowTitle(text(kTextCaption));
    LabelContract->setText(text(kTextContract));
    LabelCalculationSteps->setText(text(kTextSteps));
    ui::setHint(BitBtnUp, text(kHintUp));
    ui::setHint(BitBtnDown, text(kHintDown));
    ButtonOK->setText(text(kTextOK));
    ButtonCancel->setText(text(kTextCancel));
    ui::nameAfter(ComboBoxContract, LabelContract->text());
    ui::nameAfter(CheckListBoxCalculationSteps, LabelCalculationSteps->text());
}

void TFormContractConfiguration::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormContractConfiguration::hideEvent(QHideEvent* event) {
    // A window closed before its load started loads nothing.
    TimerStart->stop();
    QDialog::hideEvent(event);
}

void TFormContractConfiguration::Prepare() {
    contracts_.clear();
    filling_ = true;
    ComboBoxContract->clear();
    CheckListBoxCalculationSteps->clear();
    filling_ = false;
    ButtonOK->setEnabled(false);
    firstShow_->prepare();
}

void TFormContractConfiguration::TimerStartTimer() {
    TimerStart->stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    db::Command select = procedure("WMS_SP_CRQ_SelectReportFormulaContracttaskstep");
    QString error;
    const bool ok =
        app::runUnderStatus(context_, text(kTextLoading), context_.Database(), select, rows_, false, &error);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        if (!error.isEmpty())
            context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        context_.prompts().message(ui::Icon::Error, text(kTextNotLoaded), text(kTextErrorCaption));
        Q_EMIT loaded(false);
        reject();
        return;
    }
    contracts_ = contracts::buildContracts(rows_);
    rows_.close();
    filling_ = true;
    for (const contracts::Contract& contract : contracts_) ComboBoxContract->addItem(contract.title);
    filling_ = false;
    ComboBoxContract->setCurrentIndex(contracts_.empty() ? -1 : 0);
    showSteps();
    ButtonOK->setEnabled(true);
    Q_EMIT loaded(true);
}

contracts::Contract* TFormContractConfiguration::currentContract() {
    const int index = ComboBoxContract->currentIndex();
    return index >= 0 && index < int(contracts_.size()) ? &contracts_[size_t(index)] : nullptr;
}

void TFormContractConfiguration::showSteps(int selectedStep) {
    filling_ = true;
    CheckListBoxCalculationSteps->clear();
    if (const contracts::Contract* contract = currentContract())
        for (const contracts::ContractStep& step : contract->steps) {
            auto* item = new QListWidgetItem(step.title, CheckListBoxCalculationSteps);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (!step.locked) flags |= Qt::ItemIsUserCheckable;
            item->setFlags(flags);
            item->setCheckState(step.used ? Qt::Checked : Qt::Unchecked);
        }
    if (selectedStep >= 0) CheckListBoxCalculationSteps->setCurrentRow(selectedStep);
    filling_ = false;
}

void TFormContractConfiguration::ComboBoxContractChange() {
    if (!filling_) showSteps();
}

void TFormContractConfiguration::CheckListBoxCalculationStepsClickCheck(QListWidgetItem* item) {
    if (filling_) return;
    contracts::Contract* contract = currentContract();
    if (!contract) return;
    std::vector<bool> ticks;
    for (int row = 0; row < CheckListBoxCalculationSteps->count(); ++row)
        ticks.push_back(CheckListBoxCalculationSteps->item(row)->checkState() == Qt::Checked);
    if (contracts::setUsed(*contract, ticks)) return;
    // The last used step stays: the click is undone.
    showSteps(CheckListBoxCalculationSteps->row(item));
    context_.prompts().message(ui::Icon::Information, text(kTextLastStep), text(kTextAttention));
}

void TFormContractConfiguration::move(int delta) {
    contracts::Contract* contract = currentContract();
    if (!contract) return;
    const int moved = contracts::moveStep(*contract, CheckListBoxCalculationSteps->currentRow(), delta);
    if (moved >= 0) showSteps(moved);
}

void TFormContractConfiguration::BitBtnUpClick() { move(-1); }

void TFormContractConfiguration::BitBtnDownClick() { move(+1); }

void TFormContractConfiguration::ButtonOKClick() {
    const contracts::UpdateLists lists = contracts::updateLists(contracts_);
    db::Command update = procedure("WMS_SP_CRQ_UpdateReportFormulaContract");
    update.parameters.push_back(textParameter("@ReportFormulaContractIds", lists.contractIds));
    update.parameters.push_back(textParameter("@ReportFormulaTaskStepIds", lists.stepIds));
    QString error;
    if (app::runUnderStatus(context_, text(kTextSaving), context_.Database(), update, false, &error)) {
        accept();
        return;
    }
    const db::Parameter* returnValue = update.returnValueParameter();
    context_.trace().Trace(app::TraceLevel::Error,
                           QStringLiteral("Caught Exception: ") +
                               (error.isEmpty() && returnValue
                                    ? QStringLiteral("Return value %1").arg(returnValue->value.toInt())
                                    : error));
    // The window stays open with the changes, so the user can try again or cancel.
    context_.prompts().message(ui::Icon::Error, text(kTextNotSaved), text(kTextErrorCaption));
}

void TFormContractConfiguration::ButtonCancelClick() { reject(); }
