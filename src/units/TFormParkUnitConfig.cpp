#include "units/TFormParkUnitConfig.h"

#include "app/AppContext.h"
#include "reports/ClipboardText.h"
#include "reports/ReportTable.h"
#include "reports/TFormReportMenu.h"
#include "text/TextTables.h"
#include "ui/DataSetModel.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/ToolButtons.h"
#include "units/TFormEditParkUnit.h"
#include "units/TFormPUProgresser.h"
#include "units/UnitConfigRules.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextOK = 50;
constexpr int kTextCancel = 51;
constexpr int kTextClose = 52;
constexpr int kTextApply = 53;
constexpr int kTextEdit = 55;
constexpr int kTextSaveQuestion = 140;
constexpr int kTextNone = 284;
constexpr int kTextCaption = 360;
constexpr int kTextLoading = 381;
constexpr int kHintCopyCell = 387;
constexpr int kTextAddRemove = 418;
constexpr int kHintClose = 0;
constexpr int kHintCopy = 21;
constexpr int kHintPrint = 22;
constexpr int kFeatureEditConfiguration = 3;
constexpr int kLoadDelayMs = 50;
constexpr int kWideColumn = 200;

const char* const kSectorGate = "2.30.0.0";
const char* const kConnectionPointGate = "2.32.0.0";
const QString kTable = QStringLiteral("TParkUnit_TReportProfile");

// The grid's columns in order, with their labels.
struct GridColumn {
    const char* field;
    int label;
};
constexpr GridColumn kColumns[] = {
    {"ParkUnitTitle", 361},
    {"NormLookup", 362},
    {"HubHeightAltitude", 363},
    {"NeighbourTurbinePrimaryId", 364},
    {"NeighbourTurbineSecondaryId", 365},
    {"MetStP1Id", 366},
    {"MetStP2Id", 367},
    {"MetStP3Id", 368},
    {"Sitecalibrationfactor", 369},
    {"PitchAngle", 370},
    {"FreeWindParameterId", 371},
    {"WindSectorGroupId", 372},
    {"ConnectionPointParkUnitId", 373},
};
const char* const kHiddenFields[] = {"ParkUnitId", "UnitTypeDevice", "NormCurveId", "ReportProfileId"};
// Read with the rows but stored elsewhere (or, for the curve, written as NormCurveId).
const char* const kJoinedFields[] = {"ParkUnitTitle", "UnitTypeDevice", "NormLookup"};

// The grid as printed and copied: key columns as the titles they refer to.
class TitledGrid : public QIdentityProxyModel {
public:
    TitledGrid(ui::DataSetModel& model, const units::ConfigLookups& lookups) : lookups_(lookups) {
        setSourceModel(&model);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole)
            if (const ui::LookupList* list = listOf(index.column()))
                return list->titleOf(index.data(Qt::EditRole));
        return QIdentityProxyModel::data(index, role);
    }

private:
    const ui::LookupList* listOf(int column) const {
        auto* model = static_cast<ui::DataSetModel*>(sourceModel());
        const int field = model->fieldAt(column);
        if (field < 0 || !model->dataSet()) return nullptr;
        for (const units::LookupColumn& c : units::lookupColumns())
            if (model->dataSet()->field(field).name.compare(QLatin1String(c.field), Qt::CaseInsensitive) == 0)
                return &(lookups_.*c.list);
        return nullptr;
    }
    const units::ConfigLookups& lookups_;
};

}  // namespace

TFormParkUnitConfig::TFormParkUnitConfig(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormParkUnitConfig"));
    setWindowTitle(QStringLiteral("Park Unit Configuration for a Profile"));
    buildUi();
    rows_.addListener(this);
}

TFormParkUnitConfig::~TFormParkUnitConfig() {
    rows_.removeListener(this);
    DBGridParkUnits->setModel(nullptr);
}

void TFormParkUnitConfig::setDialogs(const ParkUnitDialogs& dialogs) {
    dialogs_ = dialogs;
    if (dialogs_.editUnit) dialogs_.editUnit->Bind(&rows_, &lookups_);
}

void TFormParkUnitConfig::buildUi() {
    SpeedButtonClose =
        ui::makeToolButton(this, "SpeedButtonClose", "window-close", QStyle::SP_DialogCloseButton);
    SpeedButtonCopy =
        ui::makeToolButton(this, "SpeedButtonCopy", "edit-copy", QStyle::SP_FileDialogContentsView);
    SpeedButtonPrint =
        ui::makeToolButton(this, "SpeedButtonPrint", "document-print", QStyle::SP_FileDialogDetailedView);
    CopyActvieCellButton = ui::makeToolButton(this, "CopyActvieCellButton", "go-down", QStyle::SP_ArrowDown);
    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    for (QToolButton* b : {SpeedButtonClose, SpeedButtonCopy, SpeedButtonPrint}) tools->addWidget(b);
    tools->addSpacing(12);
    tools->addWidget(CopyActvieCellButton);
    tools->addStretch();

    model_ = std::make_unique<ui::DataSetModel>(rows_);
    DBGridParkUnits = new QTableView(this);
    DBGridParkUnits->setObjectName(QStringLiteral("DBGridParkUnits"));
    DBGridParkUnits->setModel(model_.get());
    DBGridParkUnits->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGridParkUnits->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridParkUnits->verticalHeader()->setDefaultSectionSize(DBGridParkUnits->fontMetrics().height() + 8);
    for (const units::LookupColumn& c : units::lookupColumns())
        (void)new ui::LookupDelegate(lookups_.*c.list, DBGridParkUnits);  // assigned to columns per load
    connect(DBGridParkUnits->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid() && index.row() != rows_.currentRow()) rows_.moveTo(index.row());
            });
    connect(model_.get(), &ui::DataSetModel::currentRowMoved, this, [this](int row) {
        const QModelIndex current = DBGridParkUnits->currentIndex();
        if (row >= 0 && current.row() != row)
            DBGridParkUnits->setCurrentIndex(model_->index(row, std::max(0, current.column())));
    });

    const auto makeButton = [this](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    ButtonAddRemove = makeButton("ButtonAddRemove");
    ButtonEdit = makeButton("ButtonEdit");
    OkButton = makeButton("OkButton");
    OkButton->setDefault(true);
    CancelButton = makeButton("CancelButton");
    ApplyButton = makeButton("ApplyButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonAddRemove);
    buttons->addWidget(ButtonEdit);
    buttons->addStretch();
    for (QPushButton* b : {OkButton, CancelButton, ApplyButton}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(DBGridParkUnits, 1);
    layout->addLayout(buttons);
    setSizeGripEnabled(true);
    resize(1100, 560);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(kLoadDelayMs);
    connect(TimerStart, &QTimer::timeout, this, &TFormParkUnitConfig::TimerStartTimer);
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { TimerStart->start(); });

    connect(SpeedButtonClose, &QToolButton::clicked, this, &TFormParkUnitConfig::CancelButtonClick);
    connect(SpeedButtonCopy, &QToolButton::clicked, this, &TFormParkUnitConfig::SpeedButtonCopyClick);
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TFormParkUnitConfig::SpeedButtonPrintClick);
    connect(CopyActvieCellButton, &QToolButton::clicked, this,
            &TFormParkUnitConfig::CopyActvieCellButtonClick);
    connect(ButtonAddRemove, &QPushButton::clicked, this, &TFormParkUnitConfig::ButtonAddRemoveClick);
    connect(ButtonEdit, &QPushButton::clicked, this, &TFormParkUnitConfig::ButtonEditClick);
    connect(OkButton, &QPushButton::clicked, this, &TFormParkUnitConfig::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFormParkUnitConfig::CancelButtonClick);
    connect(ApplyButton, &QPushButton::clicked, this, &TFormParkUnitConfig::ApplyButtonClick);
}

QString TFormParkUnitConfig::text(int number) { return context_.texts().profile(number); }

void TFormParkUnitConfig::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(caption_);
    const std::pair<QToolButton*, QString> tools[] = {{SpeedButtonClose, texts.hint(kHintClose)},
                                                      {SpeedButtonCopy, texts.hint(kHintCopy)},
                                                      {SpeedButtonPrint, texts.hint(kHintPrint)},
                                                      {CopyActvieCellButton, text(kHintCopyCell)}};
    for (const auto& [button, hint] : tools) {
        button->setToolTip(hint);
        button->setAccessibleName(hint);
    }
    DBGridParkUnits->setAccessibleName(text(kTextCaption));
    ButtonAddRemove->setText(text(kTextAddRemove));
    ButtonEdit->setText(text(kTextEdit));
    OkButton->setText(text(kTextOK));
    CancelButton->setText(text(editable_ ? kTextCancel : kTextClose));
    ApplyButton->setText(text(kTextApply));
}

void TFormParkUnitConfig::showError(const QString& message) {
    context_.prompts().message(ui::Icon::Error, message, caption_);
}

void TFormParkUnitConfig::Prepare(int profileId, const QString& title, bool locked) {
    TimerStart->stop();
    if (dialogs_.editUnit) dialogs_.editUnit->hide();
    profileId_ = profileId;
    profileTitle_ = title;
    locked_ = locked;
    caption_ = text(kTextCaption) + QStringLiteral(" (") + title + u')';
    editable_ = context_.HasFeature(kFeatureEditConfiguration) && !locked;
    dirty_ = false;
    applied_ = false;
    rows_.close();
    lookups_.clear();
    setCaptions();
    SetButtonState(true);
    ApplyButton->setEnabled(false);
    firstShow_->prepare();
}

int TFormParkUnitConfig::Execute(int profileId, const QString& title, bool locked) {
    Prepare(profileId, title, locked);
    return exec();
}

void TFormParkUnitConfig::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormParkUnitConfig::TimerStartTimer() {
    TimerStart->stop();
    rows_.close();
    SetButtonState(true);
    bool ok = false;
    {
        const ui::WaitCursor cursor;
        ok = Load();
    }
    SetButtonState(true);
    Q_EMIT loaded(ok);
}

bool TFormParkUnitConfig::openLookup(ui::LookupList& list, const QString& sql, const QString& key,
                                     const QString& title) {
    db::Command command;
    command.text = sql;
    const db::Result result = context_.Database().execute(command);
    if (!result.ok() || result.resultSets.empty()) {
        showError(result.ok() ? QStringLiteral("No rows for: ") + sql : result.error);
        return false;
    }
    return list.setRows(result.resultSets.front(), key, title, text(kTextNone));
}

bool TFormParkUnitConfig::Load() {
    TFormPUProgresser* progresser = dialogs_.progresser;
    const auto step = [&](int position) {
        if (progresser) progresser->Step(position, text(kTextLoading));
    };
    const auto fail = [&] {
        if (progresser) progresser->Stop();
        lookups_.clear();
        return false;
    };
    if (progresser) progresser->Start();
    const QString unitList = QStringLiteral("exec DCE_SP_SelectParkUnitsWithProfileId %1, %2, '%3'");
    const QString key = QStringLiteral("ParkUnitId"), title = QStringLiteral("ParkUnitTitle");
    sectorGroups_ = context_.IsDatabaseVersionAtLeast(QLatin1String(kSectorGate));
    connectionPoints_ = context_.IsDatabaseVersionAtLeast(QLatin1String(kConnectionPointGate));

    step(10);
    if (dialogs_.editUnit) {
        dialogs_.editUnit->setSectorGroupAvailable(sectorGroups_);
        dialogs_.editUnit->setConnectionPointAvailable(connectionPoints_);
    }
    step(20);
    if (sectorGroups_ &&
        !openLookup(lookups_.sectorGroups,
                    QStringLiteral("SELECT WindSectorGroupId, WindSectorGroupTitle FROM TWindSectorGroup"),
                    QStringLiteral("WindSectorGroupId"), QStringLiteral("WindSectorGroupTitle")))
        return fail();
    step(40);
    if (!openLookup(lookups_.turbines, unitList.arg(profileId_).arg(1).arg(QLatin1String("WTG")), key, title))
        return fail();
    step(50);
    if (!openLookup(lookups_.mets, unitList.arg(profileId_).arg(1).arg(QLatin1String("MET")), key, title))
        return fail();
    step(60);
    const QString curves =
        sectorGroups_ ? QStringLiteral(
                            "SELECT NormCurveTitle, NormCurveId FROM TNormCurve WHERE NormCurveTypeId "
                            "IS NULL OR NormCurveTypeId = 1")
                      : QStringLiteral("SELECT NormCurveTitle, NormCurveId FROM TNormCurve");
    if (!openLookup(lookups_.curves, curves, QStringLiteral("NormCurveId"), QStringLiteral("NormCurveTitle")))
        return fail();
    step(70);
    if (!openLookup(
            lookups_.freeWind,
            QStringLiteral("SELECT FreeWindParameterId, FreeWindParameterTitle FROM TFreeWindParameter"),
            QStringLiteral("FreeWindParameterId"), QStringLiteral("FreeWindParameterTitle")))
        return fail();
    step(80);
    if (connectionPoints_ &&
        !openLookup(lookups_.connectionPoints, unitList.arg(profileId_).arg(1).arg(QLatin1String("GRID")),
                    key, title))
        return fail();
    step(90);
    db::Command command;
    command.text = QStringLiteral("DCE_SP_SelectParkUnitConfigFromProfile %1").arg(profileId_);
    if (!rows_.open(context_.Database(), command)) {
        showError(rows_.lastError());
        return fail();
    }
    prepareFields();
    if (rows_.recordCount() == 0) {
        if (progresser) progresser->Finish();
        return true;
    }
    step(100);
    rows_.first();
    applyRowFilters();
    sizeColumns();
    DBGridParkUnits->setCurrentIndex(model_->index(0, 0));
    if (progresser) progresser->Stop();
    return true;
}

void TFormParkUnitConfig::prepareFields() {
    QStringList order;
    for (const GridColumn& c : kColumns) {
        rows_.setDisplayLabel(QLatin1String(c.field), text(c.label));
        order << QLatin1String(c.field);
    }
    for (const char* field : kHiddenFields) rows_.setVisible(QLatin1String(field), false);
    for (const char* field : kJoinedFields) rows_.setPersistent(QLatin1String(field), false);
    // A column the database version does not have is left out, even where
    // the rows carry it.
    for (const auto& [field, present] : {std::pair{"WindSectorGroupId", sectorGroups_},
                                         std::pair{"ConnectionPointParkUnitId", connectionPoints_}}) {
        rows_.setVisible(QLatin1String(field), present);
        rows_.setPersistent(QLatin1String(field), present);
    }
    const QStringList keys = {QStringLiteral("ParkUnitId"), QStringLiteral("ParkUnitTitle"),
                              QStringLiteral("UnitTypeDevice"), QStringLiteral("ReportProfileId")};
    for (int f = 0; f < rows_.fieldCount(); ++f) {
        const QString& name = rows_.field(f).name;
        rows_.setReadOnly(name, !editable_ || keys.contains(name, Qt::CaseInsensitive));
    }
    model_->setColumnOrder(order);
    const auto delegates = DBGridParkUnits->findChildren<ui::LookupDelegate*>(Qt::FindDirectChildrenOnly);
    for (int column = 0; column < model_->columnCount(); ++column)
        DBGridParkUnits->setItemDelegateForColumn(column, nullptr);
    for (size_t i = 0; i < units::lookupColumns().size() && i < size_t(delegates.size()); ++i) {
        const int column = model_->columnOf(QLatin1String(units::lookupColumns()[i].field));
        if (column >= 0) DBGridParkUnits->setItemDelegateForColumn(column, delegates[qsizetype(i)]);
    }
    DBGridParkUnits->setEditTriggers(editable_ ? QAbstractItemView::DoubleClicked |
                                                     QAbstractItemView::SelectedClicked |
                                                     QAbstractItemView::EditKeyPressed
                                               : QAbstractItemView::NoEditTriggers);
}

void TFormParkUnitConfig::sizeColumns() {
    QHeaderView* header = DBGridParkUnits->horizontalHeader();
    for (int column = 0; column < model_->columnCount(); ++column) {
        const QString field = rows_.field(model_->fieldAt(column)).name;
        const bool wide =
            field == QLatin1String("NormLookup") || field == QLatin1String("FreeWindParameterId");
        DBGridParkUnits->setColumnWidth(column, wide ? kWideColumn : header->sectionSizeHint(column) + 8);
    }
}

void TFormParkUnitConfig::SetButtonState(bool on) {
    buttonsOn_ = on;
    CancelButton->setEnabled(on);
    const bool edit = on && editable_;
    for (QWidget* w :
         std::initializer_list<QWidget*>{ButtonEdit, OkButton, ButtonAddRemove, CopyActvieCellButton})
        w->setEnabled(edit);
    ApplyButton->setEnabled(edit && dirty_);
    if (dialogs_.editUnit) dialogs_.editUnit->setEditable(editable_);
}

void TFormParkUnitConfig::applyRowFilters() {
    if (filtering_ || !rows_.isOpen() || rows_.currentRow() < 0) return;
    filtering_ = true;
    const auto filter = units::unitReferenceFilter(rows_.value(units::kFieldUnitId).toInt(),
                                                   rows_.value(units::kFieldDevice).toString());
    for (ui::LookupList* list : {&lookups_.turbines, &lookups_.mets, &lookups_.connectionPoints})
        list->setFilter(filter);
    if (dialogs_.editUnit && dialogs_.editUnit->isVisible()) dialogs_.editUnit->refresh();
    filtering_ = false;
}

void TFormParkUnitConfig::currentRowChanged(int) { applyRowFilters(); }

void TFormParkUnitConfig::stateChanged(db::DataSetState state) {
    if (state == db::DataSetState::Insert) {
        // Units come only through Add and remove.
        QTimer::singleShot(0, this, [this] {
            if (rows_.state() == db::DataSetState::Insert) rows_.cancel();
        });
        return;
    }
    if (state != db::DataSetState::Edit || !editable_) return;
    dirty_ = true;
    ApplyButton->setEnabled(buttonsOn_);
}

void TFormParkUnitConfig::rowsChanged(int, int) {
    if (dialogs_.editUnit && dialogs_.editUnit->isVisible() && !filtering_) dialogs_.editUnit->refresh();
}

bool TFormParkUnitConfig::ApplyButtonClick() {
    if (!editable_) return true;
    const ui::WaitCursor cursor;
    SetButtonState(false);
    app::BusyScope busy(context_);
    bool ok = true;
    if (dirty_) {
        if (rows_.state() == db::DataSetState::Edit) rows_.post();
        units::syncCurveKeys(rows_);
        const bool changes = rows_.hasChanges();
        if (rows_.updateBatch(context_.Database(), kTable,
                              {QStringLiteral("ParkUnitId"), QStringLiteral("ReportProfileId")})) {
            dirty_ = false;
            applied_ = applied_ || changes;
        } else {
            // The edits stay held, and the window open, for another try.
            ok = false;
            showError(rows_.lastError());
        }
    }
    SetButtonState(true);
    return ok;
}

void TFormParkUnitConfig::OkButtonClick() {
    if (ApplyButtonClick()) closeWindow();
}

void TFormParkUnitConfig::CancelButtonClick() { reject(); }

void TFormParkUnitConfig::reject() {
    if (!buttonsOn_) return;  // a command runs
    if (SaveOffer()) closeWindow();
}

bool TFormParkUnitConfig::SaveOffer() {
    if (!dirty_) return true;
    const ui::Button answer =
        context_.prompts().question(ui::Icon::Warning, text(kTextSaveQuestion), caption_,
                                    ui::Button::Yes | ui::Button::No, ui::Button::Yes);
    if (answer == ui::Button::Yes) {
        if (!ApplyButtonClick()) return false;
    } else {
        if (rows_.state() != db::DataSetState::Browse) rows_.cancel();
        rows_.cancelBatch();
    }
    dirty_ = false;
    ApplyButton->setEnabled(false);
    return true;
}

void TFormParkUnitConfig::closeWindow() {
    TimerStart->stop();
    if (dialogs_.editUnit) dialogs_.editUnit->hide();
    rows_.close();
    lookups_.clear();
    UnselectADO.close();
    SelectADO.close();
    done(applied_ ? kResultApplied : kResultNotApplied);
}

void TFormParkUnitConfig::ButtonEditClick() {
    if (!dialogs_.editUnit) return;
    dialogs_.editUnit->setEditable(editable_);
    dialogs_.editUnit->show();
    dialogs_.editUnit->raise();
    dialogs_.editUnit->refresh();
}

void TFormParkUnitConfig::CopyActvieCellButtonClick() {
    const QModelIndex current = DBGridParkUnits->currentIndex();
    if (!editable_ || !current.isValid() || current.column() <= 0 || rows_.currentRow() < 0) return;
    const int field = model_->fieldAt(current.column());
    if (field < 0) return;
    units::copyToNextRow(rows_, rows_.field(field).name);
    applyRowFilters();
    DBGridParkUnits->setCurrentIndex(model_->index(rows_.currentRow(), current.column()));
}

void TFormParkUnitConfig::SpeedButtonPrintClick() {
    TFormReportMenu* menu = context_.windows().reportMenu;
    if (!menu || !buttonsOn_) return;
    app::BusyScope busy(context_);
    TitledGrid grid(*model_, lookups_);
    reports::ReportSource source;
    source.kind = reports::SourceKind::Given;
    source.model = &grid;
    source.window = this;
    source.headerTexts[0] = text(kTextCaption);
    source.headerTexts[1] = profileTitle_;
    source.orientation = QPageLayout::Landscape;
    menu->Execute(source);
}

void TFormParkUnitConfig::SpeedButtonCopyClick() {
    if (!buttonsOn_) return;
    app::BusyScope busy(context_);
    TitledGrid grid(*model_, lookups_);
    context_.prompts().setClipboardText(reports::clipboardText(reports::tableFromModel(grid)));
}
