#include "categorization/TFormCategoryDetails.h"

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "categorization/CategorySetOrder.h"
#include "categorization/TFormManageCategorySet.h"
#include "categorization/TFormRenameCategorySet.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/ToolButtons.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

using namespace categorization;

namespace {

constexpr int kTextOk = 50;
constexpr int kTextCancel = 51;
constexpr int kTextCaption = 104;
constexpr int kTextWindow = 430;
constexpr int kTextDetails = 431;
constexpr int kTextCategorySet = 432;
constexpr int kTextCategories = 433;
constexpr int kTextDescription = 434;
constexpr int kTextEdit = 435;
constexpr int kTextManualTitle = 461;
// Error texts of the report dialog file.
constexpr int kErrorCaption = 3100;
constexpr int kErrorRefusedSets = 3101;
constexpr int kErrorNotSaved = 3102;
constexpr int kErrorUnknownCategory = 3103;
constexpr int kErrorTooLong = 3104;
constexpr int kErrorSeparatorInTitle = 9010;

constexpr int kFeatureEditConfiguration = 3;
constexpr int kFeatureIECCategorization = 153;
constexpr int kLoadDelayMs = 50;

const QString kErrorTitle = QStringLiteral("Error");
const QString kLoadFailed = QStringLiteral("The category Information could not be retrieved.");
const QString kTitleExists =
    QStringLiteral("The category name already exists. Choose a different category name.");
const QString kTitleNotSaved = QStringLiteral("The Category Information could not be Saved.");

// Every item takes a whole cell of its list's grid, so a title is only
// shortened when it does not fit its column.
class GridCellDelegate : public QStyledItemDelegate {
public:
    explicit GridCellDelegate(QListView* list) : QStyledItemDelegate(list), list_(list) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize grid = list_->gridSize();
        return grid.isValid() ? grid : QStyledItemDelegate::sizeHint(option, index);
    }

private:
    QListView* list_;
};

// The check list shows its items in two columns, row by row.
class TwoColumnList : public QListWidget {
public:
    explicit TwoColumnList(QWidget* parent) : QListWidget(parent) {
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
        setUniformItemSizes(true);
        setItemDelegate(new GridCellDelegate(this));
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        setGridSize(QSize(std::max(40, viewport()->width() / 2 - 1), fontMetrics().height() + 8));
        QListWidget::resizeEvent(event);
    }
};

}  // namespace

TFormCategoryDetails::TFormCategoryDetails(app::AppContext& context, TFormManageCategorySet& manage,
                                           TFormRenameCategorySet& rename, QWidget* parent)
    : QDialog(parent), context_(context), manage_(manage), rename_(rename) {
    setObjectName(QStringLiteral("TFormCategoryDetails"));
    setWindowTitle(QStringLiteral("Category configuration"));
    buildUi();
}

void TFormCategoryDetails::buildUi() {
    GroupBoxDetails = new QGroupBox(this);
    GroupBoxDetails->setObjectName(QStringLiteral("GroupBoxDetails"));
    auto makeLabel = [this](const char* name) {
        auto* label = new QLabel(GroupBoxDetails);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    auto makeButton = [](QWidget* parent, const char* name) {
        auto* button = new QPushButton(parent);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    LabelCategorySet = makeLabel("LabelCategorySet");
    ComboBoxCategorySet = new QComboBox(GroupBoxDetails);
    ComboBoxCategorySet->setObjectName(QStringLiteral("ComboBoxCategorySet"));
    ComboBoxCategorySet->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBoxCategorySet->setMinimumContentsLength(24);
    LabelCategorySet->setBuddy(ComboBoxCategorySet);
    ButtonManage = makeButton(GroupBoxDetails, "ButtonManage");
    LabelCategory = makeLabel("LabelCategory");
    CheckListBoxCategory = new TwoColumnList(GroupBoxDetails);
    CheckListBoxCategory->setObjectName(QStringLiteral("CheckListBoxCategory"));
    CheckListBoxCategory->setSelectionMode(QAbstractItemView::SingleSelection);
    LabelCategory->setBuddy(CheckListBoxCategory);
    EditButton = makeButton(GroupBoxDetails, "EditButton");
    EditButton->hide();  // offered once manual titles are found available
    LabelDescription = makeLabel("LabelDescription");
    Memo1 = new QPlainTextEdit(GroupBoxDetails);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFixedHeight(72);
    Memo1->setTabChangesFocus(true);

    auto* setRow = new QHBoxLayout;
    setRow->addWidget(ComboBoxCategorySet, 1);
    setRow->addWidget(ButtonManage);
    auto* categoryRow = new QHBoxLayout;
    categoryRow->addWidget(LabelCategory, 1);
    categoryRow->addWidget(EditButton);
    auto* group = new QVBoxLayout(GroupBoxDetails);
    group->addWidget(LabelCategorySet);
    group->addLayout(setRow);
    group->addLayout(categoryRow);
    group->addWidget(CheckListBoxCategory, 1);
    group->addWidget(LabelDescription);
    group->addWidget(Memo1);

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxDetails, 1);
    layout->addWidget(buttons);

    setTabOrder(ComboBoxCategorySet, ButtonManage);
    setTabOrder(ButtonManage, CheckListBoxCategory);
    setTabOrder(CheckListBoxCategory, EditButton);
    setTabOrder(EditButton, Memo1);
    setTabOrder(Memo1, OkButton);
    setTabOrder(OkButton, CancelButton);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(kLoadDelayMs);

    connect(TimerStart, &QTimer::timeout, this, &TFormCategoryDetails::TimerStartTimer);
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { TimerStart->start(); });
    connect(ComboBoxCategorySet, &QComboBox::currentIndexChanged, this,
            &TFormCategoryDetails::ComboBoxCategorySetChange);
    connect(CheckListBoxCategory, &QListWidget::currentRowChanged, this,
            &TFormCategoryDetails::CheckListBoxCategoryClick);
    connect(CheckListBoxCategory, &QListWidget::itemDoubleClicked, this,
            &TFormCategoryDetails::EditButtonClick);
    connect(ButtonManage, &QPushButton::clicked, this, &TFormCategoryDetails::ButtonManageClick);
    connect(EditButton, &QPushButton::clicked, this, &TFormCategoryDetails::EditButtonClick);
    connect(OkButton, &QPushButton::clicked, this, &TFormCategoryDetails::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TFormCategoryDetails::reject);
    resize(560, 520);
}

void TFormCategoryDetails::setCaptions() {
    auto& texts = context_.texts();
    setWindowTitle(caption_.isEmpty() ? texts.profile(kTextWindow) : caption_);
    GroupBoxDetails->setTitle(u' ' + texts.profile(kTextDetails) + u' ');
    LabelCategorySet->setText(texts.profile(kTextCategorySet));
    LabelCategory->setText(texts.profile(kTextCategories));
    ui::nameAfter(CheckListBoxCategory, LabelCategory->text());
    LabelDescription->setText(texts.profile(kTextDescription));
    EditButton->setText(texts.profile(kTextEdit));
    ButtonManage->setText(texts.profile(kTextEdit));
    OkButton->setText(texts.profile(kTextOk));
    CancelButton->setText(texts.profile(kTextCancel));
}

void TFormCategoryDetails::trace(const QString& function) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormCategoryDetails::") + function);
}

void TFormCategoryDetails::traceException(const std::exception& e) {
    context_.trace().Trace(app::TraceLevel::Error,
                           QStringLiteral("Caught Exception: ") + QString::fromUtf8(e.what()));
}

void TFormCategoryDetails::Prepare(const ProfileInfo& profile, RegenerationMarker marker) {
    trace(QStringLiteral("Prepare"));
    TimerStart->stop();
    profile_ = profile;
    marker_ = std::move(marker);
    caption_ = context_.texts().profile(kTextCaption) + QStringLiteral(" (") + profile.Title + u')';
    setWindowTitle(caption_);
    configuration_ = {};
    locked_.clear();
    selectedSet_ = -1;
    loadedSets_.clear();
    editable_ = false;
    keptSets_.reset();
    keptSetId_ = -1;
    filling_ = true;
    ComboBoxCategorySet->clear();
    CheckListBoxCategory->clear();
    filling_ = false;
    Memo1->clear();
    EditButton->setVisible(manualTitlesAvailable_);
    EditButton->setEnabled(false);
    // Nothing to edit before the load has run.
    CheckListBoxCategory->setEnabled(false);
    ButtonManage->setEnabled(false);
    OkButton->setEnabled(!profile.Locked);
    firstShow_->prepare();
}

int TFormCategoryDetails::Execute(const ProfileInfo& profile, RegenerationMarker marker) {
    Prepare(profile, std::move(marker));
    return exec();
}

void TFormCategoryDetails::showEvent(QShowEvent* event) {
    trace(QStringLiteral("FormShow"));
    setCaptions();
    QDialog::showEvent(event);
}

void TFormCategoryDetails::TimerStartTimer() {
    trace(QStringLiteral("TimerStartTimer"));
    TimerStart->stop();
    if (!isVisible()) return;  // closed before the timer fired
    bool ok = false;
    QString why;
    {
        const ui::WaitCursor cursor;
        try {
            ok = LoadCategoryInformation(&why);
        } catch (const std::exception& e) {
            why = QString::fromUtf8(e.what());
        }
    }
    if (!ok) loadFailed(why);
    Q_EMIT loaded(ok);
}

bool TFormCategoryDetails::LoadCategoryInformation(QString* why) {
    trace(QStringLiteral("LoadCategoryInformation"));
    TFormStatus* status = context_.windows().status;
    if (!status || status->isExecuting()) {
        *why = QStringLiteral("The status window is not available");
        return false;
    }
    busy_ = true;
    db::Command load = loadCommand(profile_.ReportProfileId);
    status->StartStatusDialog(0, QStringLiteral("Retrieving information"), false);
    const bool ok = status->ExecuteAsync(context_.Database(), load);
    const std::vector<db::ResultSet> results = status->lastResult().resultSets;
    if (!ok || results.size() < 3) {
        *why = ok ? QStringLiteral("The load returned %1 of 3 result sets").arg(results.size())
                  : QStringLiteral("Return value %1 %2").arg(returnValueOf(load)).arg(status->errorText());
        return false;
    }

    const bool manualColumns = hasManualTitleColumns(results[1]);
    if (manualColumns && !manualTitlesAvailable_) manualTitlesAvailable_ = checkManualTitleAccess();
    ReadOptions options;
    options.manualTitles = manualColumns && manualTitlesAvailable_;
    options.iecCategories = context_.HasFeature(kFeatureIECCategorization);
    options.eegCategories = profile_.UseEEGReporting;
    CategoryConfiguration read;
    if (!readConfiguration(results, options, &read, why)) return false;
    loadedSets_ = read.sets;
    if (keptSets_ && keptSets_->size() == read.sets.size()) read.sets = std::move(*keptSets_);
    keptSets_.reset();
    configuration_ = std::move(read);
    locked_ = lockedItems(configuration_.categories, profile_.UseIECReporting, profile_.UseEEGReporting);

    if (manualTitlesAvailable_) {
        EditButton->setVisible(true);
        EditButton->setEnabled(false);
    }
    selectedSet_ = -1;
    fillCheckList();
    fillComboBox(keptSetId_);
    keptSetId_ = -1;
    showCheckMarks();
    selectFirstCategory();
    applyEditingRule();
    status->StopStatusDialog();
    busy_ = false;
    return true;
}

void TFormCategoryDetails::loadFailed(const QString& reason) {
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + reason);
    if (TFormStatus* status = context_.windows().status; status && !status->isExecuting())
        status->StopStatusDialog();
    busy_ = false;
    context_.prompts().message(ui::Icon::Error, kLoadFailed, kErrorTitle);
    done(kResultNotSaved);
}

bool TFormCategoryDetails::checkManualTitleAccess() {
    trace(QStringLiteral("CheckManualTitleAccess"));
    TFormStatus* status = context_.windows().status;
    db::Command access = moduleAccessCommand(context_.session().UserId);
    status->StartStatusDialog(0, QStringLiteral("Please wait"), false);
    if (!status->ExecuteAsync(context_.Database(), access)) {
        context_.trace().Trace(
            app::TraceLevel::Warning,
            QStringLiteral("The manual title access could not be read: ") + status->errorText());
        return false;
    }
    const db::Parameter* hasAccess = access.parameter(QStringLiteral("@HasAccess"));
    return hasAccess && hasAccess->value.toInt() == 1;
}

void TFormCategoryDetails::fillCheckList() {
    filling_ = true;
    CheckListBoxCategory->clear();
    for (size_t i = 0; i < configuration_.categories.size(); ++i) {
        auto* item = new QListWidgetItem(configuration_.categories[i].title, CheckListBoxCategory);
        if (locked_[i]) {
            // Always checked: selectable for its description, but its mark is fixed.
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
        } else {
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        }
        item->setCheckState(locked_[i] ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

void TFormCategoryDetails::fillComboBox(int selectId) {
    filling_ = true;
    ComboBoxCategorySet->clear();
    // Each item carries its set's id: two sets may share a title.
    for (const SetChoice& set : enabledSets(configuration_.sets))
        ComboBoxCategorySet->addItem(set.title, set.id);
    const int keep = ComboBoxCategorySet->findData(selectId);
    ComboBoxCategorySet->setCurrentIndex(keep >= 0 ? keep : (ComboBoxCategorySet->count() > 0 ? 0 : -1));
    filling_ = false;
    // No enabled set: nothing is selected, and no set takes check marks.
    selectedSet_ = comboSetIndex(ComboBoxCategorySet->currentIndex());
}

int TFormCategoryDetails::comboSetIndex(int comboIndex) const {
    if (comboIndex < 0) return -1;
    return setIndexById(configuration_.sets, ComboBoxCategorySet->itemData(comboIndex).toInt());
}

std::vector<bool> TFormCategoryDetails::checkMarks() const {
    std::vector<bool> marks(size_t(CheckListBoxCategory->count()), false);
    for (int i = 0; i < CheckListBoxCategory->count(); ++i)
        marks[size_t(i)] = CheckListBoxCategory->item(i)->checkState() == Qt::Checked;
    return marks;
}

void TFormCategoryDetails::showCheckMarks() {
    const std::vector<bool> marks =
        selectedSet_ >= 0
            ? checkMarksFor(configuration_.sets[size_t(selectedSet_)], configuration_.categories, locked_)
            : locked_;
    filling_ = true;
    for (int i = 0; i < CheckListBoxCategory->count() && size_t(i) < marks.size(); ++i)
        CheckListBoxCategory->item(i)->setCheckState(marks[size_t(i)] ? Qt::Checked : Qt::Unchecked);
    filling_ = false;
}

void TFormCategoryDetails::storeCheckMarks() {
    if (selectedSet_ < 0 || size_t(selectedSet_) >= configuration_.sets.size()) return;
    configuration_.sets[size_t(selectedSet_)].members =
        membersFromCheckMarks(configuration_.categories, checkMarks());
}

void TFormCategoryDetails::selectFirstCategory() {
    if (CheckListBoxCategory->count() == 0) {
        Memo1->clear();
        EditButton->setEnabled(false);
        return;
    }
    filling_ = true;
    CheckListBoxCategory->setCurrentRow(0);
    filling_ = false;
    CheckListBoxCategoryClick(0);
}

void TFormCategoryDetails::applyEditingRule() {
    editable_ = !profile_.Locked && context_.HasFeature(kFeatureEditConfiguration);
    CheckListBoxCategory->setEnabled(editable_ && selectedSet_ >= 0);
    ButtonManage->setEnabled(editable_);
    OkButton->setEnabled(editable_);
    ComboBoxCategorySet->setEnabled(true);
}

void TFormCategoryDetails::setControlsEnabled(bool enabled) {
    if (enabled) {
        applyEditingRule();
        refreshEditButton();
        return;
    }
    for (QWidget* control : std::initializer_list<QWidget*>{CheckListBoxCategory, ButtonManage, OkButton,
                                                            ComboBoxCategorySet, EditButton})
        control->setEnabled(false);
}

void TFormCategoryDetails::ComboBoxCategorySetChange(int index) {
    if (filling_) return;
    trace(QStringLiteral("ComboBoxCategorySetChange"));
    storeCheckMarks();
    selectedSet_ = comboSetIndex(index);
    showCheckMarks();
    selectFirstCategory();
    CheckListBoxCategory->setEnabled(editable_ && selectedSet_ >= 0);
}

void TFormCategoryDetails::CheckListBoxCategoryClick(int row) {
    if (filling_ || row < 0 || size_t(row) >= configuration_.categories.size()) return;
    trace(QStringLiteral("CheckListBoxCategoryClick"));
    EditButton->setEnabled(false);
    Memo1->setPlainText(configuration_.categories[size_t(row)].description);
    refreshEditButton();
}

bool TFormCategoryDetails::isModified() const {
    std::vector<CategorySetEntry> sets = configuration_.sets;
    if (selectedSet_ >= 0 && size_t(selectedSet_) < sets.size())
        sets[size_t(selectedSet_)].members = membersFromCheckMarks(configuration_.categories, checkMarks());
    addLockedMembers(sets, configuration_.categories, locked_);
    return setsDiffer(sets, loadedSets_);
}

void TFormCategoryDetails::refreshEditButton() {
    const int row = CheckListBoxCategory->currentRow();
    const bool manual = row >= 0 && size_t(row) < configuration_.categories.size() &&
                        configuration_.categories[size_t(row)].manualTitleEnabled;
    EditButton->setEnabled(manualTitlesAvailable_ && manual && !busy_);
}

void TFormCategoryDetails::ButtonManageClick() {
    if (busy_ || !editable_) return;
    trace(QStringLiteral("ButtonManageClick"));
    std::vector<CategorySetOrderEntry> entries = orderEntriesFrom(configuration_.sets);
    if (!manage_.Execute(entries)) return;
    // The marks belong to the set selected before; the sets keep their
    // array order, so its index still names it.
    storeCheckMarks();
    copyOrderEntriesBack(entries, configuration_.sets);
    fillComboBox(-1);
    showCheckMarks();
    selectFirstCategory();
    CheckListBoxCategory->setEnabled(editable_ && selectedSet_ >= 0);
}

void TFormCategoryDetails::EditButtonClick() {
    const int row = CheckListBoxCategory->currentRow();
    if (busy_ || row < 0 || size_t(row) >= configuration_.categories.size() || !manualTitlesAvailable_)
        return;
    const ReportCategoryEntry category = configuration_.categories[size_t(row)];
    if (!category.manualTitleEnabled) return;
    trace(QStringLiteral("EditButtonClick"));
    const std::optional<QString> entered =
        rename_.ask(context_.texts().profile(kTextManualTitle), category.manualTitle);
    if (!entered || *entered == category.manualTitle) return;
    saveManualTitle(row, entered->trimmed());
}

void TFormCategoryDetails::saveManualTitle(int row, const QString& title) {
    trace(QStringLiteral("SaveCategoryTitle"));
    db::Command command = manualTitleCommand(configuration_.categories[size_t(row)].id, title);
    busy_ = true;
    bool ok = false;
    QString error;
    try {
        ok = app::runUnderStatus(context_, QStringLiteral("Save category title"), context_.Database(),
                                 command, false, &error);
    } catch (const std::exception& e) {
        traceException(e);
    }
    busy_ = false;
    if (!ok) {
        if (!error.isEmpty())
            context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        context_.prompts().message(
            ui::Icon::Error, returnValueOf(command) == 100 ? kTitleExists : kTitleNotSaved, kErrorTitle);
        return;
    }
    // Reloaded to show the database's view of the title; the sets the user
    // changed but has not saved yet are kept over the reload.
    storeCheckMarks();
    keptSets_ = configuration_.sets;
    keptSetId_ = ComboBoxCategorySet->currentData().toInt();
    TimerStart->start();
}

bool TFormCategoryDetails::SaveCategoryConfiguration() {
    trace(QStringLiteral("SaveCategoryConfiguration"));
    addLockedMembers(configuration_.sets, configuration_.categories, locked_);
    const SaveTexts texts = buildSaveTexts(configuration_.sets);
    auto& dialogTexts = context_.texts();
    if (const int set = setWithSeparatorInTitle(configuration_.sets); set >= 0) {
        // Sent, the title would shift the lists and the database would refuse
        // them all; the user renames the set and keeps the other changes.
        context_.prompts().message(
            ui::Icon::Error,
            dialogTexts.reportDialog(kErrorSeparatorInTitle).arg(configuration_.sets[size_t(set)].title),
            dialogTexts.reportDialog(kErrorCaption));
        return false;
    }
    if (!texts.fits()) {
        // Sent cut short, the lists would no longer match: refused here, and
        // the user keeps the changes to shorten them.
        context_.prompts().message(ui::Icon::Error, dialogTexts.reportDialog(kErrorTooLong),
                                   dialogTexts.reportDialog(kErrorCaption));
        return false;
    }
    db::Command command = saveCommand(profile_.ReportProfileId, texts);
    QString error;
    const bool ok = app::runUnderStatus(context_, QStringLiteral("Save category configuration"),
                                        context_.Database(), command, false, &error);
    if (ok) return true;
    const int returnValue = returnValueOf(command);
    int message = kErrorNotSaved;
    if (returnValue == 1001)
        message = kErrorRefusedSets;
    else if (returnValue == 1002)
        message = kErrorUnknownCategory;
    else
        context_.trace().Trace(
            app::TraceLevel::Error,
            QStringLiteral("Caught Exception: ") +
                (error.isEmpty() ? QStringLiteral("Return value %1").arg(returnValue) : error));
    context_.prompts().message(ui::Icon::Error, dialogTexts.reportDialog(message),
                               dialogTexts.reportDialog(kErrorCaption));
    return false;
}

void TFormCategoryDetails::OkButtonClick() {
    if (busy_ || !editable_) return;
    trace(QStringLiteral("OkButtonClick"));
    setControlsEnabled(false);
    storeCheckMarks();
    busy_ = true;
    bool saved = false;
    try {
        saved = SaveCategoryConfiguration();
    } catch (const std::exception& e) {
        traceException(e);
        context_.prompts().message(ui::Icon::Error, context_.texts().reportDialog(kErrorNotSaved),
                                   context_.texts().reportDialog(kErrorCaption));
    }
    busy_ = false;
    if (!saved) {
        // The window stays open with the user's changes: retry or cancel.
        setControlsEnabled(true);
        return;
    }
    // Only a change needs the shadow data regenerated; the sets now are
    // what the database holds.
    if (setsDiffer(configuration_.sets, loadedSets_) && marker_) marker_();
    loadedSets_ = configuration_.sets;
    done(kResultSaved);
}

void TFormCategoryDetails::reject() {
    if (busy_) return;  // a database action runs; it ends first
    TimerStart->stop();
    done(kResultNotSaved);
}
