#include "categorization/TFormManageCategorySet.h"

#include "app/AppContext.h"
#include "categorization/TFormRenameCategorySet.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/LazyIcon.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using categorization::CategorySetOrder;

namespace {

constexpr int kTextOk = 50;
constexpr int kTextCancel = 51;
constexpr int kTextRename = 57;
constexpr int kTextCategorySet = 432;
constexpr int kTextUpHint = 441;
constexpr int kTextDownHint = 442;
constexpr int kTextCaption = 450;

}  // namespace

TFormManageCategorySet::TFormManageCategorySet(app::AppContext& context, TFormRenameCategorySet& rename,
                                               QWidget* parent)
    : QDialog(parent), context_(context), rename_(rename) {
    setObjectName(QStringLiteral("TFormManageCategorySet"));
    setWindowTitle(QStringLiteral("Category sets"));
    buildUi();
}

void TFormManageCategorySet::buildUi() {
    GroupBoxCategorySet = new QGroupBox(this);
    GroupBoxCategorySet->setObjectName(QStringLiteral("GroupBoxCategorySet"));
    CheckListBoxCategorySet = new QListWidget(GroupBoxCategorySet);
    CheckListBoxCategorySet->setObjectName(QStringLiteral("CheckListBoxCategorySet"));
    CheckListBoxCategorySet->setSelectionMode(QAbstractItemView::SingleSelection);

    auto makeArrow = [this](const char* name, QStyle::StandardPixmap icon) {
        auto* button = new QToolButton(GroupBoxCategorySet);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(ui::standardIcon(icon));
        button->setFocusPolicy(Qt::StrongFocus);
        return button;
    };
    BitBtnUp = makeArrow("BitBtnUp", QStyle::SP_ArrowUp);
    BitBtnDown = makeArrow("BitBtnDown", QStyle::SP_ArrowDown);
    ButtonRename = new QPushButton(GroupBoxCategorySet);
    ButtonRename->setObjectName(QStringLiteral("ButtonRename"));
    ButtonRename->setAutoDefault(false);

    auto* side = new QVBoxLayout;
    side->addWidget(BitBtnUp);
    side->addWidget(BitBtnDown);
    side->addStretch();
    auto* group = new QHBoxLayout(GroupBoxCategorySet);
    group->addWidget(CheckListBoxCategorySet, 1);
    group->addLayout(side);
    auto* under = new QHBoxLayout;
    under->addWidget(ButtonRename);
    under->addStretch();

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxCategorySet, 1);
    layout->addLayout(under);
    layout->addWidget(buttons);

    setTabOrder(CheckListBoxCategorySet, BitBtnUp);
    setTabOrder(BitBtnUp, BitBtnDown);
    setTabOrder(BitBtnDown, ButtonRename);
    setTabOrder(ButtonRename, OkButton);
    setTabOrder(OkButton, CancelButton);

    connect(BitBtnUp, &QToolButton::clicked, this, &TFormManageCategorySet::BitBtnUpClick);
    connect(BitBtnDown, &QToolButton::clicked, this, &TFormManageCategorySet::BitBtnDownClick);
    connect(ButtonRename, &QPushButton::clicked, this, &TFormManageCategorySet::ButtonRenameClick);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(CheckListBoxCategorySet, &QListWidget::currentRowChanged, this,
            &TFormManageCategorySet::updateButtons);
    connect(CheckListBoxCategorySet, &QListWidget::itemChanged, this,
            &TFormManageCategorySet::CheckListBoxCategorySetClickCheck);
    resize(380, 320);
}

void TFormManageCategorySet::setCaptions() {
    auto& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    GroupBoxCategorySet->setTitle(u' ' + texts.profile(kTextCategorySet) + u' ');
    ui::nameAfter(CheckListBoxCategorySet, GroupBoxCategorySet->title());
    ui::setHint(BitBtnUp, texts.profile(kTextUpHint));
    ui::setHint(BitBtnDown, texts.profile(kTextDownHint));
    ButtonRename->setText(texts.profile(kTextRename));
    OkButton->setText(texts.profile(kTextOk));
    CancelButton->setText(texts.profile(kTextCancel));
}

bool TFormManageCategorySet::Execute(std::vector<categorization::CategorySetOrderEntry>& entries) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormManageCategorySet::Execute"));
    setCaptions();
    order_ = CategorySetOrder(entries);
    fillList(-1);
    CheckListBoxCategorySet->setFocus();
    if (exec() != QDialog::Accepted) return false;
    entries = order_.entries();
    return true;
}

void TFormManageCategorySet::fillList(int selectPosition) {
    filling_ = true;
    CheckListBoxCategorySet->clear();
    for (int position = 0; position < order_.count(); ++position) {
        const auto& set = order_.entries()[size_t(order_.entryAt(position))];
        auto* item = new QListWidgetItem(set.title, CheckListBoxCategorySet);
        Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (order_.isCheckable(position)) flags |= Qt::ItemIsUserCheckable;
        item->setFlags(flags);
        item->setCheckState(set.enabled ? Qt::Checked : Qt::Unchecked);
        if (!order_.isCheckable(position))
            item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
    }
    CheckListBoxCategorySet->setCurrentRow(selectPosition);
    filling_ = false;
    updateButtons();
}

void TFormManageCategorySet::updateButtons() {
    const CategorySetOrder::Buttons allowed =
        CategorySetOrder::buttonsFor(CheckListBoxCategorySet->currentRow());
    ButtonRename->setEnabled(allowed.rename);
    BitBtnUp->setEnabled(allowed.up);
    BitBtnDown->setEnabled(allowed.down);
}

void TFormManageCategorySet::CheckListBoxCategorySetClickCheck(QListWidgetItem* item) {
    if (filling_ || !item) return;
    const int position = CheckListBoxCategorySet->row(item);
    const bool enabled = item->checkState() == Qt::Checked;
    if (enabled == order_.entries()[size_t(order_.entryAt(position))].enabled) return;  // not the mark
    order_.setEnabled(position, enabled);
    // Rebuilt so that a refused change shows its old mark and the main set,
    // once switched on, can no longer be switched off.
    fillList(position);
}

void TFormManageCategorySet::BitBtnUpClick() {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormManageCategorySet::BitBtnUpClick"));
    fillList(order_.moveUp(CheckListBoxCategorySet->currentRow()));
}

void TFormManageCategorySet::BitBtnDownClick() {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormManageCategorySet::BitBtnDownClick"));
    fillList(order_.moveDown(CheckListBoxCategorySet->currentRow()));
}

void TFormManageCategorySet::ButtonRenameClick() {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormManageCategorySet::ButtonRenameClick"));
    const int position = CheckListBoxCategorySet->currentRow();
    const int entry = order_.entryAt(position);
    if (entry < 0) return;
    const auto title =
        rename_.ask(context_.texts().profile(kTextCategorySet), order_.entries()[size_t(entry)].title);
    if (!title) return;
    order_.rename(position, *title);
    fillList(position);
}
