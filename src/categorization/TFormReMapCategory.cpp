#include "categorization/TFormReMapCategory.h"

#include "app/AppContext.h"
#include "ui/AccessibleNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

using categorization::AllocationFileCategory;

TFormReMapCategory::TFormReMapCategory(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormReMapCategory"));
    setWindowTitle(QStringLiteral("Unknown category"));
    buildUi();
}

void TFormReMapCategory::buildUi() {
    setModal(true);
    LabelMissingCategories = new QLabel(this);
    LabelMissingCategories->setObjectName(QStringLiteral("LabelMissingCategories"));
    LabelMissingCategories->setWordWrap(true);
    ListViewUnknownCategories = new QListWidget(this);
    ListViewUnknownCategories->setObjectName(QStringLiteral("ListViewUnknownCategories"));
    ListViewUnknownCategories->setSelectionMode(QAbstractItemView::SingleSelection);
    CheckListBoxKnownItems = new QListWidget(this);
    CheckListBoxKnownItems->setObjectName(QStringLiteral("CheckListBoxKnownItems"));
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    ButtonOk = new QPushButton(this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAutoDefault(false);

    auto* lists = new QHBoxLayout;
    lists->addWidget(ListViewUnknownCategories);
    lists->addWidget(CheckListBoxKnownItems);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelMissingCategories);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar);
    resize(560, 380);

    connect(ListViewUnknownCategories, &QListWidget::currentRowChanged, this,
            &TFormReMapCategory::ListViewUnknownCategoriesSelectItem);
    connect(CheckListBoxKnownItems, &QListWidget::itemChanged, this,
            &TFormReMapCategory::CheckListBoxKnownItemsClickCheck);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormReMapCategory::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    LabelMissingCategories->setText(text::withLineBreaks(texts.profile(kTextExplanation)));
    ui::nameAfter(ListViewUnknownCategories, windowTitle());
    ui::nameAfter(CheckListBoxKnownItems, texts.profile(kTextKnownCategories));
    ButtonOk->setText(texts.profile(kTextOk));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

bool TFormReMapCategory::Execute(std::vector<AllocationFileCategory>& fileCategories,
                                 const std::vector<std::pair<int, QString>>& known) {
    if (Prepare(fileCategories, known)) return true;
    const bool ok = exec() == QDialog::Accepted && unresolvedCount() == 0;
    categories_ = nullptr;
    return ok;
}

bool TFormReMapCategory::Prepare(std::vector<AllocationFileCategory>& fileCategories,
                                 const std::vector<std::pair<int, QString>>& known) {
    categories_ = nullptr;
    bool allKnown = true;
    for (AllocationFileCategory& category : fileCategories) {
        category.resolvedId = -1;
        for (const auto& [id, title] : known) {
            if (title == category.title) {
                category.resolvedId = id;
                break;
            }
        }
        allKnown = allKnown && category.resolvedId >= 0;
    }
    if (allKnown) return true;

    setCaptions();
    categories_ = &fileCategories;
    {
        const QSignalBlocker blockUnknown(ListViewUnknownCategories);
        const QSignalBlocker blockKnown(CheckListBoxKnownItems);
        ListViewUnknownCategories->clear();
        for (size_t i = 0; i < fileCategories.size(); ++i) {
            if (fileCategories[i].resolvedId >= 0) continue;
            auto* item = new QListWidgetItem(fileCategories[i].title, ListViewUnknownCategories);
            item->setData(Qt::UserRole, qlonglong(i));
        }
        CheckListBoxKnownItems->clear();
        for (const auto& [id, title] : known) {
            auto* item = new QListWidgetItem(title, CheckListBoxKnownItems);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            item->setData(Qt::UserRole, id);
        }
    }
    ListViewUnknownCategories->setCurrentRow(0);
    showChoice();
    updateStatus();
    return false;
}

int TFormReMapCategory::unresolvedCount() const {
    if (!categories_) return 0;
    int count = 0;
    for (const AllocationFileCategory& category : *categories_)
        if (category.resolvedId < 0) ++count;
    return count;
}

AllocationFileCategory* TFormReMapCategory::selectedCategory() {
    const QListWidgetItem* item = ListViewUnknownCategories->currentItem();
    if (!categories_ || !item) return nullptr;
    const auto index = size_t(item->data(Qt::UserRole).toLongLong());
    return index < categories_->size() ? &(*categories_)[index] : nullptr;
}

void TFormReMapCategory::showChoice() {
    const AllocationFileCategory* category = selectedCategory();
    const QSignalBlocker block(CheckListBoxKnownItems);
    for (int i = 0; i < CheckListBoxKnownItems->count(); ++i) {
        QListWidgetItem* item = CheckListBoxKnownItems->item(i);
        const bool chosen = category && item->data(Qt::UserRole).toInt() == category->resolvedId;
        item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    }
}

void TFormReMapCategory::updateStatus() {
    const int count = unresolvedCount();
    StatusBar->showMessage(
        context_.texts().profile(kTextUnresolved).replace(QStringLiteral("%d"), QString::number(count)));
    ButtonOk->setEnabled(count == 0);
}

void TFormReMapCategory::ListViewUnknownCategoriesSelectItem() { showChoice(); }

void TFormReMapCategory::CheckListBoxKnownItemsClickCheck(QListWidgetItem* item) {
    AllocationFileCategory* category = selectedCategory();
    if (category) {
        // One check mark at most: the selected title goes to this category only.
        category->resolvedId = item->checkState() == Qt::Checked ? item->data(Qt::UserRole).toInt() : -1;
    }
    showChoice();
    updateStatus();
}
