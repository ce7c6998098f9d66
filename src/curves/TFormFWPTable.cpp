#include "curves/TFormFWPTable.h"

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "curves/CurveTexts.h"
#include "curves/TForm_FWP_Parameters.h"
#include "reports/ClipboardText.h"
#include "reports/ReportTable.h"
#include "reports/TFormReportMenu.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/DataSetModel.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/ToolButtons.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace curves::texts;

namespace {
const QString kKey = QStringLiteral("FreeWindParameterId");
constexpr int kLoadDelayMs = 50;
}  // namespace

TFormFWPTable::TFormFWPTable(app::AppContext& context, TForm_FWP_Parameters& parameters, QWidget* parent)
    : QDialog(parent), context_(context), parameters_(parameters) {
    setObjectName(QStringLiteral("TFormFWPTable"));
    setWindowTitle(QStringLiteral("Free wind parameter setup"));
    buildUi();
}

TFormFWPTable::~TFormFWPTable() { DBGrid1->setModel(nullptr); }

void TFormFWPTable::buildUi() {
    SpeedButtonClose =
        ui::makeToolButton(this, "SpeedButtonClose", "window-close", QStyle::SP_DialogCloseButton);
    SpeedButtonCopy =
        ui::makeToolButton(this, "SpeedButtonCopy", "edit-copy", QStyle::SP_FileDialogContentsView);
    SpeedButtonPrint =
        ui::makeToolButton(this, "SpeedButtonPrint", "document-print", QStyle::SP_FileDialogDetailedView);
    SpeedButtonReload =
        ui::makeToolButton(this, "SpeedButtonReload", "view-refresh", QStyle::SP_BrowserReload);
    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    for (QToolButton* b : {SpeedButtonClose, SpeedButtonCopy, SpeedButtonPrint, SpeedButtonReload})
        tools->addWidget(b);
    tools->addStretch();
    Label1 = new QLabel(this);
    model_ = std::make_unique<ui::DataSetModel>(rows_);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setModel(model_.get());
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Label1->setBuddy(DBGrid1);
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid() && index.row() != rows_.currentRow()) rows_.moveTo(index.row());
            });
    connect(DBGrid1, &QTableView::doubleClicked, this, [this] {
        if (ButtonEdit->isEnabled()) ButtonEditClick();
    });
    const auto makeButton = [this](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    ButtonAdd = makeButton("ButtonAdd");
    ButtonEdit = makeButton("ButtonEdit");
    ButtonRemove = makeButton("ButtonRemove");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ButtonAdd, ButtonEdit, ButtonRemove}) buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(Label1);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(buttons);
    setSizeGripEnabled(true);
    resize(1000, 420);

    TimerLoad = new QTimer(this);
    TimerLoad->setObjectName(QStringLiteral("TimerLoad"));
    TimerLoad->setSingleShot(true);
    TimerLoad->setInterval(kLoadDelayMs);
    connect(TimerLoad, &QTimer::timeout, this, &TFormFWPTable::TimerLoadTimer);
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { TimerLoad->start(); });
    connect(SpeedButtonClose, &QToolButton::clicked, this, &TFormFWPTable::reject);
    connect(SpeedButtonCopy, &QToolButton::clicked, this, &TFormFWPTable::SpeedButtonCopyClick);
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TFormFWPTable::SpeedButtonPrintClick);
    connect(SpeedButtonReload, &QToolButton::clicked, this, &TFormFWPTable::SpeedButtonReloadClick);
    connect(ButtonAdd, &QPushButton::clicked, this, &TFormFWPTable::ButtonAddClick);
    connect(ButtonEdit, &QPushButton::clicked, this, &TFormFWPTable::ButtonEditClick);
    connect(ButtonRemove, &QPushButton::clicked, this, &TFormFWPTable::ButtonRemoveClick);
}

QString TFormFWPTable::text(int number) { return context_.texts().profile(number); }

void TFormFWPTable::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(text(kFreeWindCaption));
    ui::setHint(SpeedButtonClose, texts.hint(kHintClose));
    ui::setHint(SpeedButtonCopy, texts.hint(kHintCopy));
    ui::setHint(SpeedButtonPrint, texts.hint(kHintPrint));
    ui::setHint(SpeedButtonReload, texts.hint(kHintReload));
    Label1->setText(text(kFreeWindLabel));
    ui::nameAfter(DBGrid1, Label1->text());
    ButtonAdd->setText(text(kAdd));
    ButtonEdit->setText(text(kEdit));
    ButtonRemove->setText(text(kRemove));
}

void TFormFWPTable::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormFWPTable::showError(const QString& message) {
    context_.prompts().message(ui::Icon::Error, message, windowTitle());
}

void TFormFWPTable::Prepare() {
    TimerLoad->stop();
    changed_ = false;
    rows_.close();
    setCaptions();
    SetButtonState(false);
    firstShow_->prepare();
}

int TFormFWPTable::Execute() {
    Prepare();
    return exec();
}

void TFormFWPTable::SetButtonState(bool running) {
    ButtonAdd->setEnabled(!running && rows_.isOpen());
    ButtonEdit->setEnabled(!running && rows_.recordCount() > 0);
    ButtonRemove->setEnabled(!running && rows_.recordCount() > 0);
}

bool TFormFWPTable::openList(int selectId) {
    rows_.close();
    db::Command command;
    command.text = QStringLiteral("WMS_SP_REP_DoToFreeWindParameter 1");
    if (!rows_.open(context_.Database2(), command)) {
        showError(rows_.lastError());
        return false;
    }
    rows_.setVisible(kKey, false);
    for (int field = 1; field < rows_.fieldCount() && field <= curves::kFreeWindBoxes; ++field)
        rows_.setDisplayLabel(rows_.field(field).name, text(kFreeWindColumns + field - 1));
    if (selectId > 0) rows_.locate(kKey, selectId);
    if (rows_.currentRow() >= 0) DBGrid1->setCurrentIndex(model_->index(rows_.currentRow(), 0));
    DBGrid1->resizeColumnsToContents();
    return true;
}

void TFormFWPTable::TimerLoadTimer() {
    const bool ok = openList(0);
    SetButtonState(false);
    Q_EMIT loaded(ok);
}

void TFormFWPTable::SpeedButtonReloadClick() {
    SetButtonState(true);
    openList(rows_.isOpen() && rows_.currentRow() >= 0 ? rows_.value(kKey).toInt() : 0);
    SetButtonState(false);
}

bool TFormFWPTable::writeRow() {
    if (rows_.updateBatch(context_.Database2(), QStringLiteral("TFreeWindParameter"), {kKey})) return true;
    const QString error = rows_.lastError();
    // Nothing was written: the list shows the database again.
    rows_.cancelBatch();
    showError(text(kFreeWindSaveFailed) + QStringLiteral("\n") + error);
    return false;
}

void TFormFWPTable::ButtonAddClick() {
    SetButtonState(true);
    if (parameters_.Execute(TForm_FWP_Parameters::newSet()) == TForm_FWP_Parameters::kResultOk) {
        const curves::FreeWindTexts boxes = parameters_.boxes();
        rows_.append();
        for (int box = 0; box < curves::kFreeWindBoxes; ++box)
            rows_.setValue(box + 1, curves::freeWindValue(box, boxes[size_t(box)]));
        if (rows_.post() && writeRow()) {
            changed_ = true;
            // Read again, so the new set has its id and is the current row.
            const db::Result newest = [&] {
                db::Command command;
                command.text = QStringLiteral("SELECT max(FreeWindParameterId) FROM TFreeWindParameter");
                return context_.Database2().execute(command);
            }();
            const int id = newest.ok() && !newest.resultSets.empty() && !newest.resultSets[0].rows.empty()
                               ? newest.resultSets[0].rows[0].at(0).toInt()
                               : 0;
            openList(id);
        } else if (rows_.state() != db::DataSetState::Browse) {
            rows_.cancel();
        }
    }
    SetButtonState(false);
}

void TFormFWPTable::ButtonEditClick() {
    if (!rows_.isOpen() || rows_.currentRow() < 0) return;
    SetButtonState(true);
    curves::FreeWindTexts boxes;
    for (int box = 0; box < curves::kFreeWindBoxes; ++box) {
        const QVariant value = rows_.value(box + 1);
        boxes[size_t(box)] = value.isNull() ? QString() : value.toString();
    }
    if (parameters_.Execute(boxes) == TForm_FWP_Parameters::kResultOk) {
        const curves::FreeWindTexts typed = parameters_.boxes();
        rows_.edit();
        for (int box = 0; box < curves::kFreeWindBoxes; ++box)
            rows_.setValue(box + 1, curves::freeWindValue(box, typed[size_t(box)]));
        if (rows_.post() && writeRow())
            changed_ = true;
        else if (rows_.state() != db::DataSetState::Browse)
            rows_.cancel();
    }
    SetButtonState(false);
}

void TFormFWPTable::ButtonRemoveClick() {
    if (!rows_.isOpen() || rows_.currentRow() < 0) return;
    SetButtonState(true);
    const auto finish = [this] { SetButtonState(false); };
    const int id = rows_.value(kKey).toInt();
    if (context_.prompts().question(ui::Icon::Warning, text(kRemoveQuestion), windowTitle(),
                                    ui::Button::Ok | ui::Button::Cancel,
                                    ui::Button::Cancel) != ui::Button::Ok)
        return finish();
    db::Command count;
    count.text =
        QStringLiteral("EXEC WMS_SP_CRQ_CountFreeWindParameterRelations @FreeWindParameterId = %1").arg(id);
    const db::Result relations = context_.Database2().execute(count);
    if (!relations.ok()) {
        showError(relations.error);
        return finish();
    }
    const QVariant number = relations.resultSets.empty() || relations.resultSets[0].rows.empty()
                                ? QVariant()
                                : relations.resultSets[0].rows[0].at(0);
    if (number.isNull()) return finish();
    if (number.toInt() > 0 &&
        context_.prompts().question(ui::Icon::Warning, text(kRemoveRelations).arg(number.toInt()),
                                    windowTitle(), ui::Button::Ok | ui::Button::Cancel,
                                    ui::Button::Cancel) != ui::Button::Ok)
        return finish();
    TOrinADOProgressDialog* progress = context_.windows().progress;
    if (!progress) return finish();
    QString error;
    const bool ok =
        runBatch(context_, *progress, true, QStringLiteral("DeletingFreeWindParameters"),
                 {{QStringLiteral("WMS_SP_CRQ_DeleteFreeWindParameter @FreeWindParameterId = %1").arg(id),
                   text(kDeletingStatus)}},
                 &error);
    // Only a delete that went through changes what the profiles use.
    if (ok)
        changed_ = true;
    else
        showError(text(kFreeWindDeleteFailed) + (error.isEmpty() ? QString() : QStringLiteral("\n") + error));
    openList(0);
    finish();
}

void TFormFWPTable::SpeedButtonCopyClick() {
    if (!rows_.isOpen()) return;
    context_.prompts().setClipboardText(reports::clipboardText(reports::tableFromModel(*model_)));
}

void TFormFWPTable::SpeedButtonPrintClick() {
    TFormReportMenu* menu = context_.windows().reportMenu;
    if (!menu || !rows_.isOpen()) return;
    reports::ReportSource source;
    source.kind = reports::SourceKind::Given;
    source.model = model_.get();
    source.window = this;
    source.headerTexts[0] = text(kFreeWindCaption);
    source.orientation = QPageLayout::Landscape;
    menu->Execute(source);
}

void TFormFWPTable::reject() {
    TimerLoad->stop();
    rows_.close();
    done(changed_ ? kResultChanged : kResultUnchanged);
}
