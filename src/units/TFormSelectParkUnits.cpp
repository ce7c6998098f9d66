#include "units/TFormSelectParkUnits.h"

#include "app/AppContext.h"
#include "text/TextTables.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

using units::Candidate;
using units::CandidateModel;

namespace {
constexpr int kTextCaption = 3600;
constexpr int kTextGroup = 3601;
constexpr int kTextAvailable = 3602;
constexpr int kTextSelected = 3603;
constexpr int kTextUnit = 3610;
constexpr int kTextType = 3611;
constexpr int kTextClose = 3620;
constexpr int kTextCancel = 3621;
}  // namespace

void CandidateModel::setRows(std::vector<int> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void CandidateModel::setCaptions(const QString& unit, const QString& type) {
    captions_[0] = QStringLiteral("ParkUnitId");
    captions_[1] = unit;
    captions_[2] = type;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, 2);
}

int CandidateModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int CandidateModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant CandidateModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.row() >= int(rows_.size())) return {};
    const Candidate& c = candidates_[size_t(rows_[size_t(index.row())])];
    switch (index.column()) {
        case 0: return c.ParkUnitId;
        case 1: return c.ParkUnitTitle;
        default: return c.UnitTypeTitle;
    }
}

QVariant CandidateModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 3)
        return captions_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

TFormSelectParkUnits::TFormSelectParkUnits(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormSelectParkUnits"));
    buildUi();
}

void TFormSelectParkUnits::buildUi() {
    GroupBoxUnits = new QGroupBox(this);
    GroupBoxUnits->setObjectName(QStringLiteral("GroupBoxUnits"));
    const auto makeGrid = [this](const char* name, CandidateModel*& model) {
        auto* view = new QTableView(GroupBoxUnits);
        view->setObjectName(QLatin1String(name));
        model = new CandidateModel(candidates_, view);
        view->setModel(model);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setColumnHidden(0, true);
        view->verticalHeader()->hide();
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        return view;
    };
    TableViewAvailable = makeGrid("TableViewAvailable", availableModel_);
    TableViewSelected = makeGrid("TableViewSelected", selectedModel_);
    LabelAvailable = new QLabel(GroupBoxUnits);
    LabelAvailable->setObjectName(QStringLiteral("LabelAvailable"));
    LabelAvailable->setBuddy(TableViewAvailable);
    LabelSelected = new QLabel(GroupBoxUnits);
    LabelSelected->setObjectName(QStringLiteral("LabelSelected"));
    LabelSelected->setBuddy(TableViewSelected);

    const auto makeButton = [this](const char* name, const char* text) {
        auto* button = new QPushButton(QLatin1String(text), GroupBoxUnits);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    BitBtnAddAll = makeButton("BitBtnAddAll", ">>");
    BitBtnAdd = makeButton("BitBtnAdd", ">");
    BitBtnDel = makeButton("BitBtnDel", "<");
    BitBtnDelAll = makeButton("BitBtnDelAll", "<<");
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* b : {BitBtnAddAll, BitBtnAdd, BitBtnDel, BitBtnDelAll}) moves->addWidget(b);
    moves->addStretch();
    auto* grid = new QGridLayout(GroupBoxUnits);
    grid->addWidget(LabelAvailable, 0, 0);
    grid->addWidget(LabelSelected, 0, 2);
    grid->addWidget(TableViewAvailable, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(TableViewSelected, 1, 2);

    ButtonOK = new QPushButton(QStringLiteral("&OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxUnits, 1);
    layout->addLayout(buttons);

    connect(BitBtnAddAll, &QPushButton::clicked, this, &TFormSelectParkUnits::BitBtnAddAllClick);
    connect(BitBtnAdd, &QPushButton::clicked, this, &TFormSelectParkUnits::BitBtnAddClick);
    connect(BitBtnDel, &QPushButton::clicked, this, &TFormSelectParkUnits::BitBtnDelClick);
    connect(BitBtnDelAll, &QPushButton::clicked, this, &TFormSelectParkUnits::BitBtnDelAllClick);
    connect(ButtonOK, &QPushButton::clicked, this, [this] { done(1); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { done(2); });
    resize(640, 480);
}

void TFormSelectParkUnits::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    GroupBoxUnits->setTitle(texts.profile(kTextGroup) + u' ');
    LabelAvailable->setText(texts.profile(kTextAvailable));
    LabelSelected->setText(texts.profile(kTextSelected));
    TableViewAvailable->setAccessibleName(texts.profile(kTextAvailable));
    TableViewSelected->setAccessibleName(texts.profile(kTextSelected));
    for (CandidateModel* model : {availableModel_, selectedModel_})
        model->setCaptions(texts.profile(kTextUnit), texts.profile(kTextType));
    // The arrows speak through their names.
    BitBtnAddAll->setAccessibleName(QStringLiteral(">> ") + texts.profile(kTextSelected));
    BitBtnAdd->setAccessibleName(QStringLiteral("> ") + texts.profile(kTextSelected));
    BitBtnDel->setAccessibleName(QStringLiteral("< ") + texts.profile(kTextAvailable));
    BitBtnDelAll->setAccessibleName(QStringLiteral("<< ") + texts.profile(kTextAvailable));
}

void TFormSelectParkUnits::Prepare(std::vector<Candidate> candidates) {
    candidates_ = std::move(candidates);
    initiallySelected_ = units::initiallySelectedText(candidates_);
    availableModel_->setRows({});
    selectedModel_->setRows({});
}

void TFormSelectParkUnits::Fill() {
    const QStringList ids = initiallySelected_.split(u',', Qt::SkipEmptyParts);
    std::vector<int> selected;
    for (int i = 0; i < int(candidates_.size()); ++i)
        if (ids.contains(QString::number(candidates_[size_t(i)].ParkUnitId))) selected.push_back(i);
    selectedModel_->setRows(std::move(selected));
    rebuildAvailable();
    changed_ = false;
    setCaptions();
    updateButtons();
}

int TFormSelectParkUnits::Execute() {
    Fill();
    return exec();
}

void TFormSelectParkUnits::showEvent(QShowEvent* event) {
    setCaptions();
    for (QTableView* view : {TableViewAvailable, TableViewSelected})
        if (view->model()->rowCount() > 0) view->setCurrentIndex(view->model()->index(0, 1));
    QDialog::showEvent(event);
}

std::vector<int> TFormSelectParkUnits::selectedIds() const {
    std::vector<int> out;
    for (int i : selectedModel_->rows()) out.push_back(candidates_[size_t(i)].ParkUnitId);
    return out;
}

void TFormSelectParkUnits::rebuildAvailable() {
    const std::vector<int>& selected = selectedModel_->rows();
    std::vector<int> available;
    for (int i = 0; i < int(candidates_.size()); ++i)
        if (std::find(selected.begin(), selected.end(), i) == selected.end()) available.push_back(i);
    availableModel_->setRows(std::move(available));
}

std::vector<int> TFormSelectParkUnits::chosenRows(QTableView* view, const CandidateModel& model,
                                                  bool focusedWhenNone) {
    std::vector<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
    if (rows.empty() && focusedWhenNone && model.rowCount() > 0) {
        if (!view->currentIndex().isValid()) view->setCurrentIndex(model.index(0, 1));
        rows.push_back(view->currentIndex().row());
    }
    std::sort(rows.begin(), rows.end());
    std::vector<int> indexes;
    for (int row : rows) indexes.push_back(model.rows()[size_t(row)]);
    return indexes;
}

void TFormSelectParkUnits::moveToSelected(const std::vector<int>& candidateIndexes) {
    if (candidateIndexes.empty()) return;
    std::vector<int> selected = selectedModel_->rows();
    selected.insert(selected.end(), candidateIndexes.begin(), candidateIndexes.end());
    selectedModel_->setRows(std::move(selected));
    rebuildAvailable();
    changed_ = true;
}

void TFormSelectParkUnits::removeFromSelected(const std::vector<int>& candidateIndexes) {
    if (candidateIndexes.empty()) return;
    std::vector<int> selected = selectedModel_->rows();
    std::erase_if(selected, [&](int i) {
        return std::find(candidateIndexes.begin(), candidateIndexes.end(), i) != candidateIndexes.end();
    });
    selectedModel_->setRows(std::move(selected));
    rebuildAvailable();
    changed_ = true;
}

void TFormSelectParkUnits::BitBtnAddAllClick() {
    moveToSelected(availableModel_->rows());
    updateButtons();
}

void TFormSelectParkUnits::BitBtnAddClick() {
    moveToSelected(chosenRows(TableViewAvailable, *availableModel_, true));
    updateButtons();
}

void TFormSelectParkUnits::BitBtnDelClick() {
    removeFromSelected(chosenRows(TableViewSelected, *selectedModel_, false));
    updateButtons();
}

void TFormSelectParkUnits::BitBtnDelAllClick() {
    removeFromSelected(selectedModel_->rows());
    updateButtons();
}

void TFormSelectParkUnits::updateButtons() {
    const bool available = availableModel_->rowCount() > 0, selected = selectedModel_->rowCount() > 0;
    BitBtnAddAll->setEnabled(available);
    BitBtnAdd->setEnabled(available);
    BitBtnDel->setEnabled(selected);
    BitBtnDelAll->setEnabled(selected);
    ButtonOK->setEnabled(changed_);
    ButtonCancel->setText(context_.texts().profile(changed_ ? kTextCancel : kTextClose));
}
