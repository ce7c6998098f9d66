#include "profiles/TFormValidation.h"

#include "app/AppContext.h"
#include "profiles/TFormUtil.h"
#include "profiles/ValidationGrid.h"
#include "reports/ReportSource.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"
#include "ui/DataSetModel.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/ToolButtons.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

namespace {

const QString kTable = QStringLiteral("TValidationParameter");
const QString kKey = QStringLiteral("ValidationParameterId");
const QString kActive = QStringLiteral("ValidationActive");
const QString kMinimum = QStringLiteral("ValidationMinimumValue");
const QString kMaximum = QStringLiteral("ValidationMaximumValue");
// Joined from the measured values: shown, never written back.
const QStringList kJoined = {QStringLiteral("MeasuredValueTitle"), QStringLiteral("MeasuredValueUnit")};
// Widths of the grid's columns by field: the key is hidden.
constexpr std::array<int, 6> kColumnWidths = {0, 190, 50, 90, 90, 60};
constexpr int kSelectedField = 1;

// The pictures of the group list: a met mast for the meteorological units,
// a turbine for a turbine type.
QIcon groupIcon(bool turbine) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(70, 80, 100), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8, 6), QPointF(8, 15));
    if (turbine) {
        for (const QPointF& tip : {QPointF(8, 0.5), QPointF(2, 9.5), QPointF(14, 9.5)})
            painter.drawLine(QPointF(8, 6), tip);
    } else {
        painter.drawLine(QPointF(4, 3), QPointF(12, 3));
        painter.setBrush(QColor(70, 80, 100));
        painter.drawEllipse(QPointF(4, 3), 1.6, 1.6);
        painter.drawEllipse(QPointF(12, 3), 1.6, 1.6);
    }
    return QIcon(pixmap);
}

}  // namespace

TFormValidation::TFormValidation(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormValidation"));
    buildUi();
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { FormShow(); });
}

TFormValidation::~TFormValidation() {
    // The view lets go of the models before the data set they show goes.
    DBGrid1->setModel(nullptr);
}

void TFormValidation::buildUi() {
    setWindowTitle(QStringLiteral("Validation Parameters"));
    setModal(true);
    setSizeGripEnabled(true);
    resize(620, 460);

    SpeedButtonCopy =
        ui::makeToolButton(this, "SpeedButtonCopy", "edit-copy", QStyle::SP_FileDialogContentsView);
    SpeedButtonPrint =
        ui::makeToolButton(this, "SpeedButtonPrint", "document-print", QStyle::SP_FileDialogDetailedView);
    SpeedButtonClose =
        ui::makeToolButton(this, "SpeedButtonClose", "window-close", QStyle::SP_DialogCloseButton);
    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    for (QToolButton* button : {SpeedButtonCopy, SpeedButtonPrint, SpeedButtonClose})
        tools->addWidget(button);
    tools->addStretch();

    LabelSelectGroup = new QLabel(this);
    LabelSelectGroup->setObjectName(QStringLiteral("LabelSelectGroup"));
    UnitBox = new QComboBox(this);
    UnitBox->setObjectName(QStringLiteral("UnitBox"));
    UnitBox->setIconSize(QSize(16, 16));
    UnitBox->setMinimumContentsLength(24);
    LabelSelectGroup->setBuddy(UnitBox);
    auto* group = new QHBoxLayout;
    group->addWidget(LabelSelectGroup);
    group->addWidget(UnitBox, 1);

    dataModel_ = std::make_unique<ui::DataSetModel>(ADODataSet1);
    gridModel_ = new profiles::ValidationGridModel(this);
    gridModel_->setSourceModel(dataModel_.get());
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(gridModel_);
    DBGrid1->setItemDelegate(new profiles::ValidationGridDelegate(*gridModel_, DBGrid1));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 8);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);

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
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(ApplyButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(group);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);

    connect(SpeedButtonClose, &QToolButton::clicked, this, &TFormValidation::CancelButtonClick);
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TFormValidation::SpeedButtonPrintClick);
    connect(SpeedButtonCopy, &QToolButton::clicked, this, &TFormValidation::SpeedButtonCopyClick);
    connect(UnitBox, &QComboBox::currentIndexChanged, this, &TFormValidation::UnitBoxChange);
    connect(DBGrid1, &QTableView::clicked, this, &TFormValidation::DBGrid1CellClick);
    connect(dataModel_.get(), &QAbstractItemModel::dataChanged, this, &TFormValidation::noteChanges);
    connect(dataModel_.get(), &ui::DataSetModel::editFailed, this, &TFormValidation::showError);
    connect(OkButton, &QPushButton::clicked, this, &TFormValidation::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFormValidation::CancelButtonClick);
    connect(ApplyButton, &QPushButton::clicked, this, &TFormValidation::ApplyButtonClick);
}

void TFormValidation::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextWindowCaption));
    LabelSelectGroup->setText(texts.profile(kTextSelectGroup));
    SpeedButtonCopy->setToolTip(texts.hint(kHintCopy));
    SpeedButtonPrint->setToolTip(texts.hint(kHintPrint));
    SpeedButtonClose->setToolTip(texts.hint(kHintClose));
    for (QToolButton* button : {SpeedButtonCopy, SpeedButtonPrint, SpeedButtonClose})
        button->setAccessibleName(button->toolTip());
    DBGrid1->setAccessibleName(texts.profile(kTextWindowCaption));
    OkButton->setText(texts.profile(kTextOK));
    CancelButton->setText(texts.profile(kTextCancel));
    ApplyButton->setText(texts.profile(kTextApply));
    if (UnitBox->count() > 0) UnitBox->setItemText(0, texts.profile(kTextMetGroup));
}

void TFormValidation::trace(const char* method) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormValidation::") + QLatin1String(method));
}

void TFormValidation::showError(const QString& message) {
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + message);
    context_.prompts().message(ui::Icon::Error, message, context_.texts().profile(kTextErrorCaption));
}

// ---------------------------------------------------------------- opening

void TFormValidation::Prepare() {
    changed_ = false;
    applied_ = false;
    ADODataSet1.close();
    firstShow_->prepare();
}

int TFormValidation::Execute() {
    Prepare();
    return exec();
}

void TFormValidation::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormValidation::FormShow() {
    trace("FormShow");
    editable_ = context_.HasFeature(kFeatureEditValidation);
    OkButton->setEnabled(editable_);
    ApplyButton->setEnabled(false);
    gridModel_->setEditable(editable_);
    changed_ = false;
    applied_ = false;
    bool ok = false;
    {
        const ui::WaitCursor cursor;
        ok = fillGroups() && loadParameters();
    }
    if (ok) DBGrid1->setFocus();
    Q_EMIT loaded(ok);
}

bool TFormValidation::fillGroups() {
    const QSignalBlocker blocker(UnitBox);
    UnitBox->clear();
    unitTypeIds_.clear();
    UnitBox->addItem(groupIcon(false), context_.texts().profile(kTextMetGroup));
    unitTypeIds_.push_back(0);
    TFormUtil* util = context_.windows().util;
    if (util) {
        if (db::DataSet* types = util->OpenQuery(QStringLiteral("DCE_SP_SelectUnitTypes"))) {
            for (types->first(); !types->eof() && UnitBox->count() <= kMaxGroups; types->next()) {
                UnitBox->addItem(groupIcon(true), types->value(QStringLiteral("UnitTypeTitle")).toString());
                unitTypeIds_.push_back(types->value(QStringLiteral("UnitTypeId")).toInt());
            }
            types->close();
        } else if (!util->lastError().isEmpty()) {
            showError(util->lastError());
        }
    }
    UnitBox->setCurrentIndex(0);
    shownGroup_ = 0;
    return true;
}

bool TFormValidation::loadParameters() {
    const int entry = std::max(UnitBox->currentIndex(), 0);
    db::Command command;
    command.text = QStringLiteral("DCE_SP_SelectValidationParameters 0");
    if (entry > 0) command.text += QStringLiteral(",") + QString::number(unitTypeIds_[size_t(entry)]);
    loading_ = true;
    const bool ok = ADODataSet1.open(context_.Database(), command);
    loading_ = false;
    changed_ = false;
    ApplyButton->setEnabled(false);
    if (!ok) {
        showError(ADODataSet1.lastError());
        return false;
    }
    shownGroup_ = entry;
    setupColumns();
    return true;
}

void TFormValidation::setupColumns() {
    ADODataSet1.setVisible(kKey, false);
    for (const QString& joined : kJoined) {
        ADODataSet1.setPersistent(joined, false);
        ADODataSet1.setReadOnly(joined, true);
    }
    text::TextTables& texts = context_.texts();
    for (int field = 1; field < ADODataSet1.fieldCount() && field < int(kColumnWidths.size()); ++field)
        ADODataSet1.setDisplayLabel(ADODataSet1.field(field).name, texts.profile(kTextFirstColumn + field));
    gridModel_->setColumns(dataModel_->columnOf(kActive), dataModel_->columnOf(kMinimum),
                           dataModel_->columnOf(kMaximum));
    for (int field = 1; field < ADODataSet1.fieldCount() && field < int(kColumnWidths.size()); ++field) {
        const int column = dataModel_->columnOf(ADODataSet1.field(field).name);
        if (column >= 0) DBGrid1->setColumnWidth(column, kColumnWidths[size_t(field)]);
    }
    if (ADODataSet1.recordCount() > 0) {
        const int column = dataModel_->columnOf(ADODataSet1.field(kSelectedField).name);
        DBGrid1->setCurrentIndex(gridModel_->index(0, std::max(column, 0)));
    }
}

QString TFormValidation::groupTitle() const { return UnitBox->currentText(); }

// ---------------------------------------------------------------- editing

void TFormValidation::UnitBoxChange() {
    trace("UnitBoxChange");
    if (UnitBox->currentIndex() == shownGroup_ || UnitBox->currentIndex() < 0) return;
    commitEdit();
    // The held changes belong to the group shown: settled before it goes.
    if (!settleChanges()) {
        const QSignalBlocker blocker(UnitBox);
        UnitBox->setCurrentIndex(shownGroup_);
        return;
    }
    const ui::WaitCursor cursor;
    loadParameters();
}

void TFormValidation::DBGrid1CellClick(const QModelIndex& index) {
    if (!editable_ || !index.isValid() || index.column() != gridModel_->activeColumn()) return;
    const QModelIndex source = gridModel_->mapToSource(index);
    const bool active = dataModel_->data(source, Qt::CheckStateRole).toInt() == Qt::Checked;
    dataModel_->setData(source, active ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    DBGrid1->setCurrentIndex(index);
}

void TFormValidation::commitEdit() {
    // Enter in the cell editor also presses OK, before the editor hands its
    // text over: every command takes the open edit first.
    QWidget* editor = DBGrid1->indexWidget(DBGrid1->currentIndex());
    if (!editor) return;
    QAbstractItemDelegate* delegate = DBGrid1->itemDelegate();
    Q_EMIT delegate->commitData(editor);
    Q_EMIT delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TFormValidation::noteChanges() {
    if (loading_) return;
    changed_ = ADODataSet1.hasChanges();
    ApplyButton->setEnabled(editable_ && changed_);
}

// ---------------------------------------------------------------- saving

bool TFormValidation::apply() {
    trace("ApplyButtonClick");
    commitEdit();
    if (!ADODataSet1.isOpen() || !ADODataSet1.hasChanges()) {
        changed_ = false;
        ApplyButton->setEnabled(false);
        return true;
    }
    if (!ADODataSet1.updateBatch(context_.Database(), kTable, {kKey})) {
        // Nothing was written: the changes stay held for another try.
        showError(ADODataSet1.lastError());
        return false;
    }
    applied_ = true;
    changed_ = false;
    ApplyButton->setEnabled(false);
    return true;
}

void TFormValidation::ApplyButtonClick() { apply(); }

bool TFormValidation::settleChanges() {
    commitEdit();
    if (!changed_) return true;
    const ui::Button answer =
        context_.prompts().question(ui::Icon::Warning, context_.texts().profile(kTextUnsavedChanges),
                                    windowTitle(), ui::Button::Yes | ui::Button::No, ui::Button::Yes);
    if (answer == ui::Button::Yes) return apply();
    ADODataSet1.cancelBatch();
    changed_ = false;
    ApplyButton->setEnabled(false);
    return true;
}

// ---------------------------------------------------------------- closing

void TFormValidation::closeWith() {
    ADODataSet1.close();
    done(applied_ ? kResultApplied : kResultNothingWritten);
}

void TFormValidation::OkButtonClick() {
    trace("OkButtonClick");
    commitEdit();
    if (changed_ && !apply()) return;
    closeWith();
}

void TFormValidation::reject() {
    trace("FormClose");
    if (!settleChanges()) return;
    closeWith();
}

void TFormValidation::CancelButtonClick() { reject(); }

// ---------------------------------------------------------------- print and copy

void TFormValidation::SpeedButtonPrintClick() {
    trace("SpeedButtonPrintClick");
    TFormReportMenu* menu = context_.windows().reportMenu;
    if (!menu || !ADODataSet1.isOpen()) return;
    commitEdit();
    menu->Execute(reports::dataSetReport(
        ADODataSet1, this,
        {context_.texts().profile(kTextReportTitle) + QStringLiteral(" - ") + groupTitle()}));
}

void TFormValidation::SpeedButtonCopyClick() {
    trace("SpeedButtonCopyClick");
    TFormExport* exporter = context_.windows().exportForm;
    if (!exporter || !ADODataSet1.isOpen()) return;
    commitEdit();
    exporter->CopyToClipboard(ADODataSet1);
}
