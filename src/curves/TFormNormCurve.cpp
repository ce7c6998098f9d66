#include "curves/TFormNormCurve.h"

#include "app/AppContext.h"
#include "curves/CurveNumbers.h"
#include "curves/CurveTexts.h"
#include "curves/TFormCurveProperties.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/DataSetModel.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/ToolButtons.h"
#include "ui/TypedNumbers.h"
#include "windsectors/TFormWeibull.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>

using namespace curves::texts;

namespace {

const char* const kTypeGate = "2.30.0.0";
const QString kSpeed = QStringLiteral("NormCurveDataWindSpeed");
const QString kProduction = QStringLiteral("NormCurveDataProduction");
const QString kCurveId = QStringLiteral("NormCurveId");
constexpr double kDefaultMaxSpeed = 40.0;

// Shows every s-th point of the held points (s in tenths of a m/s).
class StepFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setStep(int step) {
        step_ = step;
        invalidateRowsFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override {
        const QModelIndex speed = sourceModel()->index(sourceRow, 0);
        return curves::isShownAtStep(speed.data(Qt::EditRole).toDouble(), step_);
    }

private:
    int step_ = 1;
};

// A production cell is typed as text, with ',' or '.' as the decimal mark
// whatever the locale; the window decides what the text means.
class ProductionDelegate : public QStyledItemDelegate {
public:
    ProductionDelegate(TFormNormCurve& window, QObject* parent)
        : QStyledItemDelegate(parent), window_(window) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("ProductionEditor"));
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QLineEdit*>(editor)->setText(index.data(Qt::DisplayRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        window_.setTypedProduction(index.row(), static_cast<QLineEdit*>(editor)->text());
    }

private:
    TFormNormCurve& window_;
};

// A stored number as the user reads and types it: the locale's decimal mark,
// no group separator (it would not read back), every significant digit.
QString number(const QVariant& value) {
    if (value.isNull()) return {};
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value.toDouble(), 'g', 15);
}

}  // namespace

TFormNormCurve::TFormNormCurve(app::AppContext& context, TFormCurveProperties& properties,
                               TFormWeibull& weibull, QWidget* parent)
    : QDialog(parent), context_(context), properties_(properties), weibull_(weibull) {
    setObjectName(QStringLiteral("TFormNormCurve"));
    setWindowTitle(QStringLiteral("Reference curve editor"));
    buildUi();
}

TFormNormCurve::~TFormNormCurve() {
    DBGrid2->setModel(nullptr);
    StringGridNormCurve->setModel(nullptr);
}

void TFormNormCurve::buildUi() {
    SpeedButtonClose =
        ui::makeToolButton(this, "SpeedButtonClose", "window-close", QStyle::SP_DialogCloseButton);
    SpeedButtonCopy =
        ui::makeToolButton(this, "SpeedButtonCopy", "edit-copy", QStyle::SP_FileDialogContentsView);
    SpeedButtonPrint =
        ui::makeToolButton(this, "SpeedButtonPrint", "document-print", QStyle::SP_FileDialogDetailedView);
    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    for (QToolButton* b : {SpeedButtonClose, SpeedButtonCopy, SpeedButtonPrint}) tools->addWidget(b);
    tools->addStretch();

    // The curve list and the current curve's fields.
    ComboBoxNormCurveType = new QComboBox(this);
    ComboBoxNormCurveType->setObjectName(QStringLiteral("ComboBoxNormCurveType"));
    curveModel_ = std::make_unique<ui::DataSetModel>(curves_);
    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setModel(curveModel_.get());
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    DBGrid2->verticalHeader()->hide();
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (!selecting_ && index.isValid()) DBGrid2CellClick(index.row());
            });
    const auto makeField = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        return edit;
    };
    DBMemo1 = new QPlainTextEdit(this);
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBMemo1->setReadOnly(true);
    DBMemo1->setTabChangesFocus(true);
    DBMemo1->setMaximumHeight(80);
    Edit1 = makeField("Edit1");
    EditAirDensity = makeField("EditAirDensity");
    EditCutIn = makeField("EditCutIn");
    EditCutOut = makeField("EditCutOut");
    LabelDescription = new QLabel(this);
    LabelStatus = new QLabel(this);
    LabelAirDensity = new QLabel(this);
    LabelCutIn = new QLabel(this);
    LabelCutOut = new QLabel(this);
    auto* fields = new QFormLayout;
    for (const auto& [label, field] : {std::pair<QLabel*, QWidget*>{LabelStatus, Edit1},
                                       {LabelAirDensity, EditAirDensity},
                                       {LabelCutIn, EditCutIn},
                                       {LabelCutOut, EditCutOut}}) {
        label->setBuddy(field);
        fields->addRow(label, field);
    }
    LabelDescription->setBuddy(DBMemo1);
    auto* left = new QVBoxLayout;
    left->addWidget(ComboBoxNormCurveType);
    left->addWidget(DBGrid2, 1);
    left->addWidget(LabelDescription);
    left->addWidget(DBMemo1);
    left->addLayout(fields);

    // The chart over every point, the grid over the points of the chosen step.
    series_ = new QLineSeries;
    chart_ = new QChart;
    chart_->addSeries(series_);
    chart_->legend()->hide();
    axisX_ = new QValueAxis;
    axisY_ = new QValueAxis;
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);
    DBChart1 = new QChartView(chart_, this);
    DBChart1->setObjectName(QStringLiteral("DBChart1"));
    DBChart1->setRenderHint(QPainter::Antialiasing);
    DBChart1->setMinimumSize(420, 280);

    pointModel_ = std::make_unique<ui::DataSetModel>(points_);
    pointModel_->setColumnOrder({kSpeed, kProduction});
    auto* filter = new StepFilter(this);
    filter->setSourceModel(pointModel_.get());
    pointFilter_ = filter;
    StringGridNormCurve = new QTableView(this);
    StringGridNormCurve->setObjectName(QStringLiteral("StringGridNormCurve"));
    StringGridNormCurve->setModel(pointFilter_);
    StringGridNormCurve->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridNormCurve->verticalHeader()->hide();
    StringGridNormCurve->horizontalHeader()->setStretchLastSection(true);
    StringGridNormCurve->setItemDelegateForColumn(1, new ProductionDelegate(*this, StringGridNormCurve));
    StringGridNormCurve->installEventFilter(this);
    ComboBoxWindSpeedFilter = new QComboBox(this);
    ComboBoxWindSpeedFilter->setObjectName(QStringLiteral("ComboBoxWindSpeedFilter"));
    ComboBoxWindSpeedFilter->addItems(
        {QStringLiteral("0.1 m/s"), QStringLiteral("0.5 m/s"), QStringLiteral("1 m/s")});
    LabelFilter = new QLabel(this);
    LabelFilter->setBuddy(ComboBoxWindSpeedFilter);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(LabelFilter);
    filterRow->addWidget(ComboBoxWindSpeedFilter, 1);
    auto* pointsColumn = new QVBoxLayout;
    pointsColumn->addLayout(filterRow);
    pointsColumn->addWidget(StringGridNormCurve, 1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 2);
    middle->addWidget(DBChart1, 5);
    middle->addLayout(pointsColumn, 2);

    const auto makeButton = [this](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    AddNewButton = makeButton("AddNewButton");
    ChangeButton = makeButton("ChangeButton");
    DeleteButton = makeButton("DeleteButton");
    InterPolateButton = makeButton("InterPolateButton");
    ButtonGenerateWeibull = makeButton("ButtonGenerateWeibull");
    OkButton = makeButton("OkButton");
    ApplyButton = makeButton("ApplyButton");
    CancelButton = makeButton("CancelButton");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b :
         {AddNewButton, ChangeButton, DeleteButton, InterPolateButton, ButtonGenerateWeibull})
        buttons->addWidget(b);
    buttons->addStretch();
    for (QPushButton* b : {OkButton, ApplyButton, CancelButton}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    setSizeGripEnabled(true);
    resize(1200, 640);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(0);
    connect(TimerStart, &QTimer::timeout, this, &TFormNormCurve::TimerStartTimer);
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { TimerStart->start(); });

    connect(SpeedButtonClose, &QToolButton::clicked, this, &TFormNormCurve::CancelButtonClick);
    connect(SpeedButtonCopy, &QToolButton::clicked, this, &TFormNormCurve::SpeedButtonCopyClick);
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TFormNormCurve::SpeedButtonPrintClick);
    connect(ComboBoxNormCurveType, &QComboBox::activated, this, &TFormNormCurve::ComboBoxNormCurveTypeChange);
    connect(ComboBoxWindSpeedFilter, &QComboBox::currentIndexChanged, this,
            &TFormNormCurve::ComboBoxWindSpeedFilterChange);
    connect(AddNewButton, &QPushButton::clicked, this, &TFormNormCurve::AddNewButtonClick);
    connect(ChangeButton, &QPushButton::clicked, this, &TFormNormCurve::ChangeButtonClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TFormNormCurve::DeleteButtonClick);
    connect(InterPolateButton, &QPushButton::clicked, this, &TFormNormCurve::InterPolateButtonClick);
    connect(ButtonGenerateWeibull, &QPushButton::clicked, this, &TFormNormCurve::ButtonGenerateWeibullClick);
    connect(OkButton, &QPushButton::clicked, this, &TFormNormCurve::OkButtonClick);
    connect(ApplyButton, &QPushButton::clicked, this, &TFormNormCurve::ApplyButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFormNormCurve::CancelButtonClick);
}

QString TFormNormCurve::text(int number) { return context_.texts().profile(number); }

int TFormNormCurve::typeIndex() const {
    return withTypes_ ? std::max(0, ComboBoxNormCurveType->currentIndex()) : 0;
}

void TFormNormCurve::setCaptions() {
    text::TextTables& texts = context_.texts();
    caption_ = text(kEditorCaption);
    setWindowTitle(caption_);
    ui::setHint(SpeedButtonClose, texts.hint(kHintClose));
    ui::setHint(SpeedButtonCopy, texts.hint(kHintCopy));
    ui::setHint(SpeedButtonPrint, texts.hint(kHintPrint));
    LabelDescription->setText(text(kDescription));
    LabelStatus->setText(text(kStatus));
    LabelAirDensity->setText(text(kAirDensity));
    LabelCutIn->setText(text(kCutIn));
    LabelCutOut->setText(text(kCutOut));
    LabelFilter->setText(text(kGridStep));
    for (const auto& [field, label] : {std::pair<QWidget*, QLabel*>{DBMemo1, LabelDescription},
                                       {Edit1, LabelStatus},
                                       {EditAirDensity, LabelAirDensity},
                                       {EditCutIn, LabelCutIn},
                                       {EditCutOut, LabelCutOut},
                                       {ComboBoxWindSpeedFilter, LabelFilter}})
        ui::nameAfter(field, label->text());
    ui::nameAfter(DBGrid2, text(kCurveList));
    ui::nameAfter(ComboBoxNormCurveType, text(kCurveType));
    ui::nameAfter(StringGridNormCurve, text(kPoints));
    ui::nameAfter(DBChart1, text(kPoints));
    AddNewButton->setText(text(kAddNew));
    ChangeButton->setText(text(kEditCurve));
    DeleteButton->setText(text(kDeleteCurve));
    InterPolateButton->setText(text(kInterpolate));
    ButtonGenerateWeibull->setText(text(kGenerateWeibull));
    OkButton->setText(text(kOK));
    ApplyButton->setText(text(kApply));
    CancelButton->setText(text(buttonsOn_ && editRight_ ? kCancel : kClose));
    curves_.setDisplayLabel(QStringLiteral("NormCurveTitle"), text(kCurveList));
}

void TFormNormCurve::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormNormCurve::Prepare() {
    TimerStart->stop();
    editRight_ = context_.HasFeature(curves::kFeatureEdit);
    withTypes_ = context_.IsDatabaseVersionAtLeast(QLatin1String(kTypeGate));
    dirty_ = false;
    changedCurves_.clear();
    curveId_ = 0;
    locked_ = false;
    points_.close();
    curves_.close();
    setCaptions();
    {
        selecting_ = true;
        ComboBoxNormCurveType->clear();
        ComboBoxNormCurveType->addItem(text(kPowerCurve));
        if (withTypes_) ComboBoxNormCurveType->addItem(text(kDistributionCurve));
        ComboBoxNormCurveType->setCurrentIndex(0);
        ComboBoxWindSpeedFilter->setCurrentIndex(0);
        selecting_ = false;
    }
    SetButtonState(true);
    firstShow_->prepare();
}

int TFormNormCurve::Execute() {
    Prepare();
    return exec();
}

void TFormNormCurve::TimerStartTimer() {
    TimerStart->stop();
    bool ok = false;
    {
        const ui::WaitCursor cursor;
        ok = openCurves();
        if (ok) {
            applyTypeFilter();
            curves_.first();
            loadCurve();
        }
    }
    SetButtonState(true);
    Q_EMIT loaded(ok);
}

bool TFormNormCurve::openCurves() {
    db::Command command;
    command.text = QStringLiteral("select * from TNormCurve");
    if (!curves_.open(context_.Database(), command)) {
        context_.prompts().message(ui::Icon::Error, curves_.lastError(), caption_);
        return false;
    }
    curves_.setDisplayLabel(QStringLiteral("NormCurveTitle"), text(kCurveList));
    curveModel_->setColumnOrder({QStringLiteral("NormCurveTitle")});
    return true;
}

void TFormNormCurve::applyTypeFilter() {
    if (!withTypes_) {
        curves_.clearFilter();
        return;
    }
    const bool distribution = typeIndex() == 1;
    curves_.setFilter([distribution](const db::RowView& row) {
        const QVariant type = row.value(QStringLiteral("NormCurveTypeId"));
        return distribution ? !type.isNull() && type.toInt() == 2 : type.isNull() || type.toInt() == 1;
    });
}

void TFormNormCurve::selectCurveRow() {
    selecting_ = true;
    const int row = curves_.currentRow();
    if (row >= 0)
        DBGrid2->setCurrentIndex(curveModel_->index(row, 0));
    else
        DBGrid2->clearSelection();
    selecting_ = false;
}

void TFormNormCurve::showCurveFields() {
    const bool any = curves_.isOpen() && curves_.currentRow() >= 0;
    locked_ = any && curves_.value(QStringLiteral("NormCurveLocked")).toInt() != 0;
    DBMemo1->setPlainText(any ? curves_.value(QStringLiteral("NormCurveDescription")).toString() : QString());
    Edit1->setText(any ? text(locked_ ? kStatusLocked : kStatusOpen) : QString());
    EditAirDensity->setText(any ? number(curves_.value(QStringLiteral("NormCurveAirDensity"))) : QString());
    EditCutIn->setText(any ? number(curves_.value(QStringLiteral("NormCurveCutInWindSpeed"))) : QString());
    EditCutOut->setText(any ? number(curves_.value(QStringLiteral("NormCurveCutOutWindSpeed"))) : QString());
    StringGridNormCurve->setEditTriggers(pointsEditable() ? QAbstractItemView::DoubleClicked |
                                                                QAbstractItemView::EditKeyPressed |
                                                                QAbstractItemView::AnyKeyPressed
                                                          : QAbstractItemView::NoEditTriggers);
}

void TFormNormCurve::loadCurve() {
    const bool any = curves_.isOpen() && curves_.currentRow() >= 0;
    curveId_ = any ? curves_.value(kCurveId).toInt() : 0;
    showCurveFields();
    points_.close();
    if (any) {
        db::Command command;
        command.text =
            QStringLiteral(
                "select NormCurveDataWindSpeed, NormCurveDataProduction, NormCurveId FROM TNormCurveData "
                "where NormCurveId=%1 order by NormCurveDataWindSpeed")
                .arg(curveId_);
        if (!points_.open(context_.Database(), command))
            context_.prompts().message(ui::Icon::Error, points_.lastError(), caption_);
        else
            preparePointFields();
    }
    selectCurveRow();
    refreshChart();
    SetButtonState(true);
}

void TFormNormCurve::preparePointFields() {
    const bool distribution = withTypes_ && curves_.value(QStringLiteral("NormCurveTypeId")).toInt() == 2;
    points_.setDisplayLabel(kSpeed, text(kWindSpeedColumn));
    points_.setDisplayLabel(kProduction, text(distribution ? kDistributionColumn : kProductionColumn));
    points_.setVisible(kCurveId, false);
    points_.setReadOnly(kSpeed, true);
    points_.setReadOnly(kCurveId, true);
    pointModel_->setColumnOrder({kSpeed, kProduction});
    static_cast<StepFilter*>(pointFilter_)
        ->setStep(curves::gridStepOfFilter(ComboBoxWindSpeedFilter->currentIndex()));
}

void TFormNormCurve::refreshChart() {
    QList<QPointF> line;
    std::vector<double> productions;
    double maxSpeed = kDefaultMaxSpeed;
    if (points_.isOpen()) {
        const int speed = points_.fieldIndex(kSpeed), production = points_.fieldIndex(kProduction);
        line.reserve(points_.recordCount());
        productions.reserve(size_t(points_.recordCount()));
        for (int row = 0; row < points_.recordCount(); ++row) {
            const double x = points_.valueAt(row, speed).toDouble(),
                         y = points_.valueAt(row, production).toDouble();
            line.append(QPointF(x, y));
            productions.push_back(y);
            maxSpeed = std::max(maxSpeed, x);
        }
    }
    // One replace: the chart redraws once, not once per point.
    series_->replace(line);
    axisX_->setRange(0.0, maxSpeed);
    axisY_->setRange(0.0, curves::productionAxisMaximum(productions));
    const bool distribution = withTypes_ && curves_.isOpen() && curves_.currentRow() >= 0 &&
                              curves_.value(QStringLiteral("NormCurveTypeId")).toInt() == 2;
    axisX_->setTitleText(text(kWindSpeedAxis));
    axisY_->setTitleText(text(distribution ? kDistributionColumn : kProductionAxis));
}

bool TFormNormCurve::pointsEditable() const {
    return editRight_ && curveId_ > 0 && !locked_ && points_.isOpen();
}

void TFormNormCurve::SetButtonState(bool on) {
    buttonsOn_ = on;
    const bool edit = on && editRight_;
    const bool any = curveId_ > 0;
    CancelButton->setText(text(edit ? kCancel : kClose));
    AddNewButton->setEnabled(edit && curves_.isOpen());
    const bool unlockRight = context_.HasFeature(curves::kFeatureUnlock);
    ChangeButton->setEnabled(edit && any && (!locked_ || unlockRight));
    DeleteButton->setEnabled(edit && any && (!locked_ || unlockRight));
    // A locked curve's points stay as they are, whoever asks.
    InterPolateButton->setEnabled(edit && any && !locked_);
    ButtonGenerateWeibull->setEnabled(edit && any && !locked_ && typeIndex() == 1);
    OkButton->setEnabled(edit);
    ApplyButton->setEnabled(edit && dirty_);
    SpeedButtonCopy->setEnabled(on && any);
    SpeedButtonPrint->setEnabled(on && any);
}

void TFormNormCurve::markDirty() {
    dirty_ = true;
    ApplyButton->setEnabled(buttonsOn_ && editRight_);
}

bool TFormNormCurve::SaveOffer() {
    if (!dirty_) return true;
    const ui::Button answer = context_.prompts().question(ui::Icon::Warning, text(kSaveQuestion), caption_,
                                                          ui::Button::Yes | ui::Button::No, ui::Button::Yes);
    if (answer == ui::Button::Yes) return ApplyButtonClick();
    // No drops the held edits of both the points and the curve's properties,
    // or the next Apply would write the declined ones.
    for (db::DataSet* set : {&points_, &curves_}) {
        if (set->state() != db::DataSetState::Browse && set->isOpen()) set->cancel();
        set->cancelBatch();
    }
    dirty_ = false;
    showCurveFields();
    refreshChart();
    SetButtonState(buttonsOn_);
    return true;
}

bool TFormNormCurve::mayChangeCurve() {
    if (!locked_ || context_.HasFeature(curves::kFeatureUnlock)) return true;
    context_.prompts().message(ui::Icon::Error, text(kCurveLocked), caption_);
    return false;
}

void TFormNormCurve::DBGrid2CellClick(int row) {
    if (!curves_.isOpen() || !buttonsOn_) {
        selectCurveRow();
        return;
    }
    if (row == curves_.currentRow() && curves_.value(kCurveId).toInt() == curveId_) return;
    if (!SaveOffer()) {
        selectCurveRow();  // the edits are still held for the shown curve
        return;
    }
    curves_.moveTo(row);
    loadCurve();
}

void TFormNormCurve::ComboBoxNormCurveTypeChange(int) {
    if (selecting_ || !curves_.isOpen()) return;
    if (!SaveOffer()) return;
    applyTypeFilter();
    curves_.first();
    loadCurve();
}

void TFormNormCurve::ComboBoxWindSpeedFilterChange(int index) {
    static_cast<StepFilter*>(pointFilter_)->setStep(curves::gridStepOfFilter(index));
}

void TFormNormCurve::setProduction(int pointRow, double value) {
    if (!points_.moveTo(pointRow) || !points_.edit()) return;
    points_.setValue(kProduction, value);
    points_.post();
}

bool TFormNormCurve::setTypedProduction(int gridRow, const QString& typed) {
    if (!pointsEditable()) return false;
    const QString trimmed = typed.trimmed();
    const std::optional<double> value =
        trimmed.isEmpty() ? std::optional<double>(0.0) : ui::readTypedNumber(trimmed);
    if (!value) return false;
    const QModelIndex source = pointFilter_->mapToSource(pointFilter_->index(gridRow, 0));
    if (!source.isValid()) return false;
    setProduction(source.row(), *value);
    markDirty();
    refreshChart();
    return true;
}

void TFormNormCurve::StringGridNormCurvePaste() {
    if (!pointsEditable()) return;
    const QString clipboard = context_.prompts().clipboardText();
    if (clipboard.isEmpty()) return;
    const int speed = points_.fieldIndex(kSpeed);
    bool changed = false;
    for (const curves::CurvePoint& pair : curves::parsePastedPoints(clipboard)) {
        // Speeds are stored as exact tenths; a pasted 3.5 finds 3.5.
        for (int row = 0; row < points_.recordCount(); ++row) {
            if (std::abs(points_.valueAt(row, speed).toDouble() - pair.windSpeed) < 1e-9) {
                setProduction(row, pair.production);
                changed = true;
                break;
            }
        }
    }
    if (!changed) return;
    // The view shows the held points: reading them again would drop the paste.
    markDirty();
    refreshChart();
}

bool TFormNormCurve::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGridNormCurve && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        StringGridNormCurvePaste();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormNormCurve::InterPolateButtonClick() {
    if (!pointsEditable()) return;
    const int production = points_.fieldIndex(kProduction);
    std::vector<double> values;
    values.reserve(size_t(points_.recordCount()));
    for (int row = 0; row < points_.recordCount(); ++row)
        values.push_back(points_.valueAt(row, production).toDouble());
    const std::vector<int> changed = curves::interpolateZeroGaps(values);
    for (int row : changed) setProduction(row, values[size_t(row)]);
    if (changed.empty()) return;
    markDirty();
    refreshChart();
}

void TFormNormCurve::ButtonGenerateWeibullClick() {
    if (!pointsEditable() || typeIndex() != 1) return;
    if (weibull_.Execute() != TFormWeibull::kResultOk) return;
    GenerateWeibull(weibull_.parameters());
}

void TFormNormCurve::GenerateWeibull(const windsectors::WeibullParameters& parameters) {
    if (!pointsEditable() || points_.recordCount() == 0) return;
    const int speed = points_.fieldIndex(kSpeed);
    // Every point is overwritten; the earlier values play no part.
    for (int row = 0; row < points_.recordCount(); ++row)
        setProduction(row, windsectors::weibullValue(points_.valueAt(row, speed).toDouble(), parameters));
    markDirty();
    refreshChart();
}

bool TFormNormCurve::ApplyButtonClick() {
    if (!dirty_) return true;
    const ui::WaitCursor cursor;
    const bool wasOn = buttonsOn_;
    SetButtonState(false);
    app::BusyScope busy(context_);
    QString error;
    db::Connection* connection = context_.Database().get();
    if (!connection && context_.Database().connect(&error)) connection = context_.Database().get();
    QStringList saved;
    for (const db::RowView& row : curves_.changedRows()) saved << row.value(kCurveId).toString();
    if (points_.hasChanges() && curveId_ > 0) saved << QString::number(curveId_);
    bool ok = connection && connection->beginTransaction(&error);
    // The properties and the points are written together or not at all.
    if (ok && !curves_.updateBatch(*connection, QStringLiteral("TNormCurve"), {kCurveId})) {
        ok = false;
        error = curves_.lastError();
    }
    if (ok && points_.isOpen() &&
        !points_.updateBatch(*connection, QStringLiteral("TNormCurveData"), {kCurveId, kSpeed})) {
        ok = false;
        error = points_.lastError();
    }
    if (ok) ok = connection->commit(&error);
    if (!ok) {
        if (connection && connection->inTransaction()) connection->rollback();
        // The edits stay held for another try.
        context_.prompts().message(ui::Icon::Error, text(kApplyFailed) + QStringLiteral("\n") + error,
                                   caption_);
        SetButtonState(wasOn);
        return false;
    }
    curves_.acceptChanges();
    if (points_.isOpen()) points_.acceptChanges();
    for (const QString& id : saved)
        if (!changedCurves_.contains(id)) changedCurves_ << id;
    dirty_ = false;
    showCurveFields();
    refreshChart();
    SetButtonState(wasOn);
    return true;
}

bool TFormNormCurve::anyChangedCurveInUse() {
    for (const QString& id : changedCurves_) {
        db::Command command;
        command.text = QStringLiteral("DCE_SP_IsNormCurveIdInUse %1").arg(id);
        const db::Result result = context_.Database().execute(command);
        if (result.ok() && !result.resultSets.empty() && !result.resultSets[0].rows.empty() &&
            result.resultSets[0].rows[0].at(0).toInt() != 0)
            return true;
    }
    return false;
}

void TFormNormCurve::closeWindow(int result) {
    TimerStart->stop();
    points_.close();
    curves_.close();
    changedCurves_.clear();
    done(result);
}

void TFormNormCurve::OkButtonClick() {
    SetButtonState(false);
    if (!ApplyButtonClick()) {
        SetButtonState(true);
        return;
    }
    closeWindow(anyChangedCurveInUse() ? kResultInUse : kResultNotInUse);
}

void TFormNormCurve::CancelButtonClick() { reject(); }

void TFormNormCurve::reject() {
    if (!buttonsOn_) return;  // a command runs
    if (!SaveOffer()) return;
    // Curves saved by Apply count as for OK: their profiles need new data.
    closeWindow(anyChangedCurveInUse() ? kResultInUse : kResultNotInUse);
}
