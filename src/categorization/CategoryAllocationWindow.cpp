#include "categorization/CategoryAllocationWindow.h"

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "categorization/AllocationGridModel.h"
#include "categorization/AllocationSaveLists.h"
#include "categorization/OvcDbTableCategory.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"
#include "ui/AccessibleNames.h"
#include "ui/LazyIcon.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/ToolButtons.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace categorization {

namespace af = allocation_field;

CategoryAllocationWindow::CategoryAllocationWindow(app::AppContext& context, const AllocationVariant& variant,
                                                   QWidget* parent)
    : QDialog(parent), context_(context), variant_(variant), grid_(dataSet_, variant) {
    setObjectName(QLatin1String(variant.windowClass));
    buildUi();
}

CategoryAllocationWindow::~CategoryAllocationWindow() {
    // The views let go of the model before the data set it shows goes.
    OvcDbTableCategory_->setModel(nullptr);
    delete model_;
}

void CategoryAllocationWindow::buildUi() {
    setModal(true);
    setSizeGripEnabled(true);
    resize(900, 640);

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
    Timer->setInterval(kLoadDelayMs);
    connect(Timer, &QTimer::timeout, this, &CategoryAllocationWindow::TimerStartTimer);
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { FirstShow(); });

    SpeedButtonCopy =
        ui::makeToolButton(this, "SpeedButtonCopy", "edit-copy", QStyle::SP_FileDialogContentsView);
    SpeedButtonPrint =
        ui::makeToolButton(this, "SpeedButtonPrint", "document-print", QStyle::SP_FileDialogDetailedView);
    SpeedButtonClose =
        ui::makeToolButton(this, "SpeedButtonClose", "window-close", QStyle::SP_DialogCloseButton);
    Expand = ui::makeToolButton(this, "Expand", "view-list-tree", QStyle::SP_ToolBarVerticalExtensionButton);
    Collapse = ui::makeToolButton(this, "Collapse", "view-list-details",
                                  QStyle::SP_ToolBarHorizontalExtensionButton);
    SpeedButtonImport =
        ui::makeToolButton(this, "SpeedButtonImport", "document-import", QStyle::SP_DialogOpenButton);
    SpeedButtonExport =
        ui::makeToolButton(this, "SpeedButtonExport", "document-export", QStyle::SP_DialogSaveButton);
    Expand->setCheckable(true);
    Collapse->setCheckable(true);
    auto* views = new QButtonGroup(this);
    views->setExclusive(true);
    views->addButton(Expand);
    views->addButton(Collapse);
    Collapse->setChecked(true);

    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    for (QToolButton* button : {SpeedButtonCopy, SpeedButtonPrint, SpeedButtonClose})
        tools->addWidget(button);
    tools->addSpacing(12);
    tools->addWidget(Expand);
    tools->addWidget(Collapse);
    tools->addSpacing(12);
    tools->addWidget(SpeedButtonImport);
    tools->addWidget(SpeedButtonExport);
    tools->addStretch();

    inputLayout_ = new QVBoxLayout;
    inputLayout_->setContentsMargins(0, 0, 0, 0);

    model_ = new AllocationGridModel(dataSet_);
    OvcDbTableCategory_ = new OvcDbTableCategory(this);
    OvcDbTableCategory_->setModel(model_);

    ButtonRemapCategory = new QPushButton(this);
    ButtonRemapCategory->setObjectName(QStringLiteral("ButtonRemapCategory"));
    ButtonRemapCategory->setEnabled(false);
    ButtonRemapCategory->setAutoDefault(false);
    OkButton = new QPushButton(this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    ApplyButton = new QPushButton(this);
    ApplyButton->setObjectName(QStringLiteral("ApplyButton"));
    ApplyButton->setAutoDefault(false);
    ApplyButton->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonRemapCategory);
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(ApplyButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(inputLayout_);
    layout->addWidget(OvcDbTableCategory_, 1);
    layout->addLayout(buttons);

    connect(SpeedButtonClose, &QToolButton::clicked, this, &CategoryAllocationWindow::CancelButtonClick);
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &CategoryAllocationWindow::SpeedButtonPrintClick);
    connect(SpeedButtonCopy, &QToolButton::clicked, this, &CategoryAllocationWindow::SpeedButtonCopyClick);
    connect(Expand, &QToolButton::clicked, this, &CategoryAllocationWindow::ExpandCollapseClick);
    connect(Collapse, &QToolButton::clicked, this, &CategoryAllocationWindow::ExpandCollapseClick);
    connect(SpeedButtonExport, &QToolButton::clicked, this,
            &CategoryAllocationWindow::SpeedButtonExportClick);
    connect(SpeedButtonImport, &QToolButton::clicked, this,
            &CategoryAllocationWindow::SpeedButtonImportClick);
    connect(ButtonRemapCategory, &QPushButton::clicked, this,
            &CategoryAllocationWindow::ButtonRemapCategoryClick);
    connect(OkButton, &QPushButton::clicked, this, &CategoryAllocationWindow::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &CategoryAllocationWindow::CancelButtonClick);
    connect(ApplyButton, &QPushButton::clicked, this, &CategoryAllocationWindow::ApplyButtonClick);
    connect(OvcDbTableCategory_, &OvcDbTableCategory::cellActivated, this,
            &CategoryAllocationWindow::OvcDbTableCategoryCellActivated);
    connect(OvcDbTableCategory_, &OvcDbTableCategory::rowIndicatorClicked, this,
            &CategoryAllocationWindow::OvcDbTableCategoryRowIndicatorClick);
}

QString CategoryAllocationWindow::caption(const CaptionText& text) {
    return text.literal ? QString::fromLatin1(text.literal) : context_.texts().profile(text.text);
}

void CategoryAllocationWindow::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(variant_.captionText) + QStringLiteral(" (") + profile_.Title + u')');
    OvcDbTableCategory_->setCaption(texts.profile(variant_.captionText));
    ui::setHint(SpeedButtonCopy, texts.hint(kHintCopy));
    ui::setHint(SpeedButtonPrint, texts.hint(kHintPrint));
    ui::setHint(SpeedButtonClose, texts.hint(kHintClose));
    ui::setHint(Expand, texts.profile(kTextExpand));
    ui::setHint(Collapse, texts.profile(kTextCollapse));
    ui::setHint(SpeedButtonImport, texts.profile(kTextImport));
    ui::setHint(SpeedButtonExport, texts.profile(kTextExport));
    ButtonRemapCategory->setText(texts.profile(kTextRemap));
    OkButton->setText(texts.profile(kTextOK));
    ApplyButton->setText(texts.profile(kTextApply));
    setInputCaptions();
}

void CategoryAllocationWindow::trace(const char* method) {
    context_.trace().Trace(app::TraceLevel::Trace, QStringLiteral("Enter Function: ") +
                                                       QLatin1String(variant_.windowClass) +
                                                       QStringLiteral("::") + QLatin1String(method));
}

void CategoryAllocationWindow::traceException(const QString& message) {
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + message);
}

// ---------------------------------------------------------------- opening

void CategoryAllocationWindow::prepareWindow(const ProfileInfo& profile, RegenerationMarker marker) {
    profile_ = profile;
    marker_ = std::move(marker);
    grid_.reset();
    pendingEdits_ = false;
    wrote_ = false;
    busy_ = false;
    Collapse->setChecked(true);
    firstShow_->prepare();
}

int CategoryAllocationWindow::runModal() {
    exec();
    return wrote_ ? 1 : 2;
}

void CategoryAllocationWindow::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void CategoryAllocationWindow::FormShow() {
    trace("FormShow");
    setCaptions();
}

void CategoryAllocationWindow::FirstShow() {
    applyEditingRule();
    Timer->start();
}

bool CategoryAllocationWindow::mayEdit() const {
    return !profile_.Locked && context_.HasFeature(kFeatureEditProfile);
}

void CategoryAllocationWindow::applyEditingRule() {
    const bool editable = mayEdit();
    // Held edits (a failed save keeps them) can still be saved.
    ApplyButton->setEnabled(pendingEdits_);
    OkButton->setEnabled(editable);
    SpeedButtonImport->setEnabled(importAndRemapEnabled());
    ButtonRemapCategory->setEnabled(importAndRemapEnabled());
    CancelButton->setText(caption(editable ? variant_.cancelEditable : variant_.cancelReadOnly));
    grid_.setEditable(editable);
}

void CategoryAllocationWindow::enableApply() {
    ApplyButton->setEnabled(true);
    pendingEdits_ = true;
}

void CategoryAllocationWindow::setBusy(bool busy) {
    busy_ = busy;
    OkButton->setEnabled(!busy && mayEdit());
    CancelButton->setEnabled(!busy);
    // The grid takes no input while busy but is not drawn again for it: a
    // save repaints it once it is over anyway, and drawing thousands of rows
    // greyed out would take the user-interface thread from the save.
    if (busy) OvcDbTableCategory_->setUpdatesEnabled(false);
    OvcDbTableCategory_->setEnabled(!busy);
    if (!busy) OvcDbTableCategory_->setUpdatesEnabled(true);
    if (busy) ApplyButton->setEnabled(false);
}

// ---------------------------------------------------------------- loading

void CategoryAllocationWindow::TimerStartTimer() {
    trace("TimerStartTimer");
    const bool ok = load();
    if (!ok) {
        context_.prompts().message(ui::Icon::Error, context_.texts().profile(kTextLoadFailed),
                                   context_.texts().profile(kTextCaption));
        closeDataSets();
        QDialog::reject();
    }
    Q_EMIT loaded(ok);
}

bool CategoryAllocationWindow::load() {
    TFormStatus* status = context_.windows().status;
    if (!status || status->isExecuting()) {
        traceException(QStringLiteral("The status window is not available"));
        return false;
    }
    setBusy(true);
    bool ok = false;
    status->StartStatusDialog(0, context_.texts().profile(kTextLoading), false);
    try {
        grid_.reset();
        pendingEdits_ = false;
        applyEditingRule();
        db::Command command = loadCommand();
        ok = status->ExecuteAsync(context_.Database(), command, dataSet_);
        const db::Result& result = status->lastResult();
        if (!ok) traceException(status->errorText());
        ok = ok && dataSet_.isOpen() && int(result.resultSets.size()) >= variant_.resultSetCount &&
             dataSet_.fieldCount() >= af::kFirstCategory;
        if (ok) {
            setupFields();
            db::ResultSet sources;
            if (variant_.hasResponsibleSources) sources = result.resultSets[2];
            if (grid_.prepare(result.resultSets[1], std::move(sources), profile_.UseIECReporting))
                enableApply();
            Collapse->setChecked(true);
            grid_.setCollapsed(true);
            restoreGridPosition({});
        }
    } catch (const std::exception& e) {
        traceException(QString::fromUtf8(e.what()));
        ok = false;
    }
    status->StopStatusDialog();
    setBusy(false);
    ApplyButton->setEnabled(pendingEdits_);
    if (ok) OvcDbTableCategory_->setFocus();
    return ok;
}

void CategoryAllocationWindow::setupFields() {
    const auto name = [this](int field) { return dataSet_.field(field).name; };
    for (int field : {af::kKey, af::kAllocationId, af::kCategory, af::kDisabled})
        if (dataSet_.field(field).visible) dataSet_.setVisible(name(field), false);
    text::TextTables& texts = context_.texts();
    const auto label = [&](int field, int text) {
        if (text > 0 && dataSet_.field(field).displayLabel != texts.profile(text))
            dataSet_.setDisplayLabel(name(field), texts.profile(text));
    };
    label(af::kKey, variant_.keyLabelText);
    label(af::kNumber, variant_.numberLabelText);
    label(af::kTitle, variant_.titleLabelText);
}

// ---------------------------------------------------------------- editing

void CategoryAllocationWindow::OvcDbTableCategoryCellActivated(int row, int field) {
    if (busy_) return;
    switch (grid_.clickCell(row, field)) {
        case AllocationGrid::ClickOutcome::Ignored: return;
        case AllocationGrid::ClickOutcome::Changed: enableApply(); return;
        case AllocationGrid::ClickOutcome::SwitchedOff:
            enableApply();
            context_.prompts().message(ui::Icon::Information,
                                       context_.texts().profile(kTextAllocateSwitchedOff),
                                       context_.texts().profile(kTextInformation));
            return;
    }
}

void CategoryAllocationWindow::OvcDbTableCategoryRowIndicatorClick(int row) {
    if (busy_) return;
    switch (grid_.toggleSwitchOff(row)) {
        case AllocationGrid::ToggleOutcome::Ignored: return;
        case AllocationGrid::ToggleOutcome::Toggled: enableApply(); return;
        case AllocationGrid::ToggleOutcome::Refused:
            context_.prompts().message(ui::Icon::Information,
                                       context_.texts().profile(kTextSwitchOffAllocated),
                                       context_.texts().profile(kTextInformation));
            return;
    }
}

void CategoryAllocationWindow::ExpandCollapseClick() {
    trace("ExpandClick");
    if (busy_) return;
    const GridPosition position = gridPosition();
    grid_.setCollapsed(Collapse->isChecked());
    restoreGridPosition(position);
}

CategoryAllocationWindow::GridPosition CategoryAllocationWindow::gridPosition() const {
    GridPosition position;
    position.topRow = OvcDbTableCategory_->topRow();
    const int row = OvcDbTableCategory_->currentRow();
    if (row >= 0) {
        position.allocationId = dataSet_.valueAt(row, af::kAllocationId).toLongLong();
        position.field = OvcDbTableCategory_->currentField();
    }
    return position;
}

void CategoryAllocationWindow::restoreGridPosition(const GridPosition& position) {
    // A filter starts the grid at its top again; the user keeps his row when
    // it is still shown, else the row at his scroll position.
    const int count = dataSet_.recordCount();
    int row = std::clamp(position.topRow, 0, std::max(count - 1, 0));
    if (position.allocationId >= 0) {
        for (int r = 0; r < count; ++r) {
            if (dataSet_.valueAt(r, af::kAllocationId).toLongLong() == position.allocationId) {
                row = r;
                break;
            }
        }
    }
    OvcDbTableCategory_->setTopRow(position.topRow);
    OvcDbTableCategory_->setCurrentCell(row, position.field >= 0 ? position.field : af::kFirstCategory);
}

// ---------------------------------------------------------------- print and copy

QStringList CategoryAllocationWindow::reportHeaderTexts() {
    return {context_.texts().profile(kTextReportTitle)};
}

void CategoryAllocationWindow::SpeedButtonPrintClick() {
    trace("SpeedButtonPrintClick");
    TFormReportMenu* menu = context_.windows().reportMenu;
    if (busy_ || !menu) return;
    menu->Execute(reports::dataSetReport(dataSet_, this, reportHeaderTexts()));
}

void CategoryAllocationWindow::SpeedButtonCopyClick() {
    trace("SpeedButtonCopyClick");
    TFormExport* exporter = context_.windows().exportForm;
    if (busy_ || !exporter) return;
    exporter->CopyToClipboard(dataSet_);
}

// ---------------------------------------------------------------- saving

bool CategoryAllocationWindow::hasUnsavedChanges() const { return pendingEdits_ && dataSet_.hasChanges(); }

void CategoryAllocationWindow::ApplyButtonClick() {
    trace("ApplyButtonClick");
    save();
}

bool CategoryAllocationWindow::save() {
    trace("SaveAllocation");
    if (busy_ || !dataSet_.isOpen()) return false;
    const std::vector<AllocationSaveCall> calls = buildAllocationSaveCalls(dataSet_);
    bool ok = true;
    if (!calls.empty()) {
        setBusy(true);
        std::vector<db::Command> commands;
        commands.reserve(calls.size());
        for (const AllocationSaveCall& call : calls)
            commands.push_back(allocationSaveCommand(variant_, call, categorySetId()));
        QString error;
        try {
            // All calls in one transaction: the allocation is written whole or not at all.
            ok = app::runUnderStatus(context_, context_.texts().profile(kTextSaving), context_.Database(),
                                     commands, &error);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
            ok = false;
        }
        setBusy(false);
        if (ok) {
            wrote_ = true;
            try {
                if (marker_) marker_();
            } catch (const std::exception& e) {
                traceException(QString::fromUtf8(e.what()));
            }
        } else {
            traceException(error.isEmpty() ? QStringLiteral("The allocation update was refused") : error);
            context_.prompts().message(ui::Icon::Error, context_.texts().profile(kTextSaveFailed),
                                       context_.texts().profile(kTextCaption));
        }
    }
    const GridPosition position = gridPosition();
    if (ok) {
        grid_.acceptSaved();
        pendingEdits_ = false;
    } else {
        // Nothing was written: the changes stay held for another try.
        grid_.applyView();
    }
    restoreGridPosition(position);
    applyEditingRule();
    return ok;
}

// ---------------------------------------------------------------- closing

bool CategoryAllocationWindow::queryClose() {
    if (!hasUnsavedChanges()) return true;
    const ui::Button answer =
        context_.prompts().question(ui::Icon::Warning, context_.texts().profile(kTextUnsavedChanges),
                                    windowTitle(), ui::Button::Yes | ui::Button::No, ui::Button::Yes);
    if (answer == ui::Button::Yes) return save();
    return true;
}

void CategoryAllocationWindow::closeDataSets() {
    grid_.reset();
    pendingEdits_ = false;
}

void CategoryAllocationWindow::reject() {
    trace("FormClose");
    if (busy_) return;
    if (!queryClose()) return;
    Timer->stop();
    closeDataSets();
    QDialog::reject();
}

void CategoryAllocationWindow::CancelButtonClick() { reject(); }

void CategoryAllocationWindow::OkButtonClick() {
    trace("OkButtonClick");
    if (busy_) return;
    if (hasUnsavedChanges() && !save()) return;
    Timer->stop();
    closeDataSets();
    accept();
}

}  // namespace categorization
