#include "windsectors/TFormWindExclusionSectors.h"

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/DataSetModel.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/Prompts.h"
#include "windsectors/TFormWindExclusionGroup.h"
#include "windsectors/TFormWindExclusionSector.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace windsectors;

namespace {

constexpr int kTextOk = 50;
constexpr int kTextCancel = 51;
constexpr int kTextApply = 53;
constexpr int kTextStart = 184;
constexpr int kTextStop = 185;
constexpr int kTextExcluded = 186;
// The words for an excluded and a kept sector, as the profile list's yes and no.
constexpr int kTextNo = 293;
constexpr int kTextYes = 294;
constexpr int kTextAddGroup = 9240;
constexpr int kTextRemoveGroup = 9241;
constexpr int kTextRenameGroup = 9242;
constexpr int kTextGroups = 9243;
constexpr int kTextGroup = 9244;
constexpr int kTextSectors = 9245;
constexpr int kTextAddSector = 9246;
constexpr int kTextEditSector = 9247;
constexpr int kTextRemoveSector = 9248;

const QString kCaption = QStringLiteral("Wind exclusion sectors");
const QString kErrorCaption = QStringLiteral("Error");
const QString kGroupsFailed = QStringLiteral("Windsector group information could not be retrieved");
const QString kSectorsFailed = QStringLiteral("Windsector information could not be retrieved");
const QString kQueryFailed = QStringLiteral("The query failed");
const QString kStatusHandle = QStringLiteral("Handle wind sector group");
const QString kStatusDelete = QStringLiteral("Delete wind sector group");
const QString kCommandHandle = QStringLiteral("InsertWindSectorGroup");
const QString kCommandDelete = QStringLiteral("DeleteWindSectorGroup");

QString plain(const QString& caption) { return QString(caption).remove(QLatin1Char('&')); }

QTableView* makeList(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

}  // namespace

TFormWindExclusionSectors::TFormWindExclusionSectors(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormWindExclusionSectors"));
    buildUi();
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { FormShow(); });
}

TFormWindExclusionSectors::~TFormWindExclusionSectors() {
    // The views let go of the models before the data sets they show go.
    ListViewWindSectorGroups->setModel(nullptr);
    ListViewWindSectors->setModel(nullptr);
}

void TFormWindExclusionSectors::setDialogs(TFormWindExclusionGroup* group, TFormWindExclusionSector* sector) {
    groupDialog_ = group;
    sectorDialog_ = sector;
}

void TFormWindExclusionSectors::buildUi() {
    setWindowTitle(kCaption);
    setModal(true);
    setSizeGripEnabled(true);
    resize(640, 420);

    const auto makeButton = [this](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    groupModel_ = std::make_unique<ui::DataSetModel>(model_.groups());
    groupModel_->setColumnOrder({kGroupTitle});
    sectorModel_ = std::make_unique<ui::DataSetModel>(model_.sectors());
    sectorModel_->setColumnOrder({kExcludedText, kAngleFrom, kAngleTo});

    auto* groupsLabel = new QLabel(this);
    groupsLabel->setObjectName(QStringLiteral("LabelGroups"));
    ListViewWindSectorGroups = makeList(this, "ListViewWindSectorGroups", groupModel_.get());
    ListViewWindSectorGroups->horizontalHeader()->hide();
    groupsLabel->setBuddy(ListViewWindSectorGroups);
    ButtonAddGroup = makeButton("ButtonAddGroup");
    ButtonRemoveGroup = makeButton("ButtonRemoveGroup");
    auto* groupButtons = new QHBoxLayout;
    groupButtons->addWidget(ButtonAddGroup);
    groupButtons->addWidget(ButtonRemoveGroup);
    auto* groups = new QVBoxLayout;
    groups->addWidget(groupsLabel);
    groups->addWidget(ListViewWindSectorGroups, 1);
    groups->addLayout(groupButtons);

    auto* groupLabel = new QLabel(this);
    groupLabel->setObjectName(QStringLiteral("LabelGroup"));
    EditGroup = new QLineEdit(this);
    EditGroup->setObjectName(QStringLiteral("EditGroup"));
    EditGroup->setReadOnly(true);
    groupLabel->setBuddy(EditGroup);
    ButtonRenameGroup = makeButton("ButtonRenameGroup");
    auto* title = new QHBoxLayout;
    title->addWidget(EditGroup, 1);
    title->addWidget(ButtonRenameGroup);
    auto* sectorsLabel = new QLabel(this);
    sectorsLabel->setObjectName(QStringLiteral("LabelSectors"));
    ListViewWindSectors = makeList(this, "ListViewWindSectors", sectorModel_.get());
    sectorsLabel->setBuddy(ListViewWindSectors);
    ButtonAddSector = makeButton("ButtonAddSector");
    ButtonEditSector = makeButton("ButtonEditSector");
    ButtonRemoveSector = makeButton("ButtonRemoveSector");
    auto* sectorButtons = new QHBoxLayout;
    for (QPushButton* button : {ButtonAddSector, ButtonEditSector, ButtonRemoveSector})
        sectorButtons->addWidget(button);
    auto* sectors = new QVBoxLayout;
    sectors->addWidget(groupLabel);
    sectors->addLayout(title);
    sectors->addWidget(sectorsLabel);
    sectors->addWidget(ListViewWindSectors, 1);
    sectors->addLayout(sectorButtons);

    ButtonOK = makeButton("ButtonOK");
    ButtonOK->setDefault(true);
    ButtonApply = makeButton("ButtonApply");
    ButtonCancel = makeButton("ButtonCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {ButtonOK, ButtonApply, ButtonCancel}) buttons->addWidget(button);

    auto* panes = new QHBoxLayout;
    panes->addLayout(groups, 2);
    panes->addLayout(sectors, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panes, 1);
    layout->addLayout(buttons);

    TimerClose = new QTimer(this);
    TimerClose->setObjectName(QStringLiteral("TimerClose"));
    TimerClose->setSingleShot(true);
    TimerClose->setInterval(0);

    using Self = TFormWindExclusionSectors;
    connect(ButtonAddGroup, &QPushButton::clicked, this, &Self::ButtonAddGroupClick);
    connect(ButtonRemoveGroup, &QPushButton::clicked, this, &Self::ButtonRemoveGroupClick);
    connect(ButtonRenameGroup, &QPushButton::clicked, this, &Self::ButtonRenameGroupClick);
    connect(ButtonAddSector, &QPushButton::clicked, this, &Self::ButtonAddSectorClick);
    connect(ButtonEditSector, &QPushButton::clicked, this, &Self::ButtonEditSectorClick);
    connect(ButtonRemoveSector, &QPushButton::clicked, this, &Self::ButtonRemoveSectorClick);
    connect(ButtonOK, &QPushButton::clicked, this, &Self::ButtonOKClick);
    connect(ButtonApply, &QPushButton::clicked, this, &Self::ButtonApplyClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &Self::ButtonCancelClick);
    connect(ListViewWindSectorGroups->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Self::ListViewWindSectorGroupsSelect);
    connect(ListViewWindSectors->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &Self::updateButtons);
    connect(sectorModel_.get(), &QAbstractItemModel::modelReset, this, &Self::updateButtons);
    connect(ListViewWindSectors, &QTableView::doubleClicked, this, &Self::ButtonEditSectorClick);
    connect(TimerClose, &QTimer::timeout, this,
            [this] { done(saved_ ? kResultSaved : kResultNothingSaved); });
    updateButtons();
}

void TFormWindExclusionSectors::setCaptions() {
    text::TextTables& texts = context_.texts();
    const auto set = [&texts](QPushButton* button, int number) { button->setText(texts.profile(number)); };
    set(ButtonAddGroup, kTextAddGroup);
    set(ButtonRemoveGroup, kTextRemoveGroup);
    set(ButtonRenameGroup, kTextRenameGroup);
    set(ButtonAddSector, kTextAddSector);
    set(ButtonEditSector, kTextEditSector);
    set(ButtonRemoveSector, kTextRemoveSector);
    set(ButtonOK, kTextOk);
    set(ButtonApply, kTextApply);
    set(ButtonCancel, kTextCancel);
    findChild<QLabel*>(QStringLiteral("LabelGroups"))->setText(texts.profile(kTextGroups));
    findChild<QLabel*>(QStringLiteral("LabelGroup"))->setText(texts.profile(kTextGroup));
    findChild<QLabel*>(QStringLiteral("LabelSectors"))->setText(texts.profile(kTextSectors));
    ui::nameAfter(ListViewWindSectorGroups, texts.profile(kTextGroups));
    ui::nameAfter(EditGroup, texts.profile(kTextGroup));
    ui::nameAfter(ListViewWindSectors, texts.profile(kTextSectors));
}

void TFormWindExclusionSectors::trace(const char* method) {
    context_.trace().Trace(
        app::TraceLevel::Trace,
        QStringLiteral("Enter Function: TFormWindExclusionSectors::") + QLatin1String(method));
}

void TFormWindExclusionSectors::showError(const QString& text) {
    context_.prompts().message(ui::Icon::Error, text, kErrorCaption);
}

// ---------------------------------------------------------------- opening and loading

void TFormWindExclusionSectors::Prepare() {
    saved_ = false;
    loadedOk_ = false;
    TimerClose->stop();
    model_.clear();
    showGroup(-1);
    firstShow_->prepare();
}

int TFormWindExclusionSectors::Execute() {
    Prepare();
    return exec();
}

void TFormWindExclusionSectors::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormWindExclusionSectors::FormShow() {
    trace("FormShow");
    loadedOk_ = load();
    showGroup(loadedOk_ && model_.groupCount() > 0 ? 0 : -1);
    if (loadedOk_) ListViewWindSectorGroups->setFocus();
    Q_EMIT loaded(loadedOk_);
}

bool TFormWindExclusionSectors::load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto fail = [this](const QString& text, const QString& error) {
        QApplication::restoreOverrideCursor();
        context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        model_.clear();
        showGroup(-1);
        showError(text);
        // The window cannot be used: it closes once the message is gone.
        TimerClose->start();
        return false;
    };
    db::Command groups;
    groups.text = QStringLiteral("EXEC WMS_SP_CRQ_SelectWindSectorGroup");
    db::Result groupRows = context_.Database().execute(groups);
    if (!groupRows.ok() || groupRows.resultSets.empty()) return fail(kGroupsFailed, groupRows.error);
    db::Command sectors;
    sectors.text = QStringLiteral("exec WMS_SP_CRQ_SelectWindSectors");
    db::Result sectorRows = context_.Database().execute(sectors);
    if (!sectorRows.ok() || sectorRows.resultSets.empty()) return fail(kSectorsFailed, sectorRows.error);

    model_.load(std::move(groupRows.resultSets.front()), std::move(sectorRows.resultSets.front()));
    text::TextTables& texts = context_.texts();
    db::DataSet& sectorSet = model_.sectors();
    sectorSet.setDisplayLabel(kExcludedText, plain(texts.profile(kTextExcluded)));
    model_.setExcludedWords(texts.profile(kTextYes), texts.profile(kTextNo));
    sectorSet.setDisplayLabel(kAngleFrom, plain(texts.profile(kTextStart)));
    sectorSet.setDisplayLabel(kAngleTo, plain(texts.profile(kTextStop)));
    QApplication::restoreOverrideCursor();
    return true;
}

// ---------------------------------------------------------------- selection and enabling

void TFormWindExclusionSectors::showGroup(int row) {
    syncing_ = true;
    model_.selectGroup(row);
    const int selected = model_.selectedGroup();
    if (selected >= 0)
        ListViewWindSectorGroups->setCurrentIndex(groupModel_->index(selected, 0));
    else
        ListViewWindSectorGroups->selectionModel()->clearCurrentIndex();
    EditGroup->setText(selected >= 0 ? model_.groupTitle(selected) : QString());
    syncing_ = false;
    updateButtons();
}

void TFormWindExclusionSectors::ListViewWindSectorGroupsSelect() {
    if (syncing_) return;
    showGroup(ListViewWindSectorGroups->currentIndex().row());
}

int TFormWindExclusionSectors::selectedSector() const {
    const QModelIndex current = ListViewWindSectors->currentIndex();
    if (!current.isValid() || model_.selectedGroup() < 0) return -1;
    const std::vector<int> keys = model_.sectorKeys();
    return current.row() < int(keys.size()) ? keys[size_t(current.row())] : -1;
}

void TFormWindExclusionSectors::selectSector(int key) {
    const std::vector<int> keys = model_.sectorKeys();
    const auto found = std::find(keys.begin(), keys.end(), key);
    if (found == keys.end()) {
        ListViewWindSectors->selectionModel()->clearCurrentIndex();
        return;
    }
    ListViewWindSectors->setCurrentIndex(sectorModel_->index(int(found - keys.begin()), 0));
}

void TFormWindExclusionSectors::updateButtons() {
    const bool idle = !saving_;
    const bool group = model_.selectedGroup() >= 0;
    ButtonAddGroup->setEnabled(idle && loadedOk_);
    for (QPushButton* button : {ButtonRemoveGroup, ButtonRenameGroup, ButtonAddSector})
        button->setEnabled(idle && group);
    const bool sector = group && selectedSector() >= 0;
    ButtonEditSector->setEnabled(idle && sector);
    ButtonRemoveSector->setEnabled(idle && sector);
    // A removal of the last group is something to save too, so Apply does
    // not wait for a selected group.
    ButtonApply->setEnabled(idle && loadedOk_ && model_.hasChanges());
    ButtonOK->setEnabled(idle);
    ButtonCancel->setEnabled(idle);
}

// ---------------------------------------------------------------- groups

void TFormWindExclusionSectors::ButtonAddGroupClick() {
    trace("ButtonAddGroupClick");
    if (!groupDialog_ || !loadedOk_) return;
    const std::optional<QString> title = groupDialog_->ask(QString());
    if (!title) return;
    showGroup(model_.addGroup(*title));
}

void TFormWindExclusionSectors::ButtonRenameGroupClick() {
    trace("ButtonRenameGroupClick");
    const int row = model_.selectedGroup();
    if (!groupDialog_ || row < 0) return;
    const std::optional<QString> title = groupDialog_->ask(model_.groupTitle(row));
    if (!title) return;
    model_.renameGroup(row, *title);
    showGroup(row);
}

void TFormWindExclusionSectors::ButtonRemoveGroupClick() {
    trace("ButtonRemoveGroupClick");
    const int row = model_.selectedGroup();
    if (row < 0) return;
    showGroup(model_.removeGroup(row));
}

// ---------------------------------------------------------------- sectors

void TFormWindExclusionSectors::editSector(std::optional<int> key) {
    if (!sectorDialog_ || model_.selectedGroup() < 0) return;
    const std::optional<SectorValues> shown = key ? model_.sector(*key) : SectorValues{};
    if (!shown) return;
    const std::optional<SectorValues> typed = sectorDialog_->Execute(*shown);
    if (!typed) return;
    const int stored = model_.storeSector(key, *typed);
    selectSector(stored);
    updateButtons();
}

void TFormWindExclusionSectors::ButtonAddSectorClick() {
    trace("ButtonAddSectorClick");
    editSector(std::nullopt);
}

void TFormWindExclusionSectors::ButtonEditSectorClick() {
    trace("ButtonEditSectorClick");
    const int key = selectedSector();
    if (key >= 0 && ButtonEditSector->isEnabled()) editSector(key);
}

void TFormWindExclusionSectors::ButtonRemoveSectorClick() {
    trace("ButtonRemoveSectorClick");
    const int key = selectedSector();
    if (key < 0) return;
    const int row = ListViewWindSectors->currentIndex().row();
    model_.removeSector(key);
    const std::vector<int> keys = model_.sectorKeys();
    selectSector(keys.empty() ? -1 : keys[size_t(std::min(row, int(keys.size()) - 1))]);
    updateButtons();
}

// ---------------------------------------------------------------- saving and closing

bool TFormWindExclusionSectors::save() {
    const std::vector<SaveCall> calls = model_.saveCalls();
    if (calls.empty()) return true;
    TOrinADOProgressDialog* progress = context_.windows().progress;
    if (!progress) {
        showError(kQueryFailed);
        return false;
    }
    std::vector<ProgressItem> items;
    for (const SaveCall& call : calls)
        items.push_back({call.statement, call.deletesGroup ? kStatusDelete : kStatusHandle,
                         call.deletesGroup ? kCommandDelete : kCommandHandle});
    saving_ = true;
    updateButtons();
    QString error;
    const bool ok = runBatch(context_, *progress, true, kCommandHandle, items, &error);
    // New groups sent may be stored now, whatever became of the batch: a
    // later removal deletes them.
    model_.callsSent();
    saving_ = false;
    updateButtons();
    if (!ok) {
        if (!error.isEmpty())
            context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        // Everything stays held, so OK or Apply can send it again.
        showError(kQueryFailed);
        return false;
    }
    saved_ = true;
    return true;
}

void TFormWindExclusionSectors::ButtonOKClick() {
    trace("ButtonOKClick");
    if (saving_ || !save()) return;
    done(saved_ ? kResultSaved : kResultNothingSaved);
}

void TFormWindExclusionSectors::ButtonApplyClick() {
    trace("ButtonApplyClick");
    if (saving_ || !ButtonApply->isEnabled() || !save()) return;
    const int row = model_.selectedGroup();
    const int id = row >= 0 ? model_.groupId(row) : -1;
    loadedOk_ = load();
    if (!loadedOk_) return;
    const int again = model_.rowOfGroup(id);
    showGroup(again >= 0 ? again : (model_.groupCount() > 0 ? 0 : -1));
}

void TFormWindExclusionSectors::ButtonCancelClick() {
    trace("ButtonCancelClick");
    reject();
}

void TFormWindExclusionSectors::reject() {
    // The process dialog runs the save: the window waits for it.
    if (saving_) return;
    done(saved_ ? kResultSaved : kResultNothingSaved);
}
