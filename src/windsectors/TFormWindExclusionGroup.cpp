#include "windsectors/TFormWindExclusionGroup.h"

#include "app/AppContext.h"
#include "text/TextTables.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextOk = 50;
constexpr int kTextCancel = 51;
constexpr int kTextCaption = 175;
constexpr int kTextLabel = 176;

}  // namespace

TFormWindExclusionGroup::TFormWindExclusionGroup(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormWindExclusionGroup"));
    buildUi();
}

void TFormWindExclusionGroup::buildUi() {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    LabelGroup = new QLabel(this);
    LabelGroup->setObjectName(QStringLiteral("LabelGroup"));
    layout->addWidget(LabelGroup);
    EditGroup = new QLineEdit(this);
    EditGroup->setObjectName(QStringLiteral("EditGroup"));
    EditGroup->setMaxLength(kMaxLength);
    LabelGroup->setBuddy(EditGroup);
    layout->addWidget(EditGroup);

    auto* buttons = new QDialogButtonBox(this);
    ButtonOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);  // Enter in the box
    ButtonCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    layout->addWidget(buttons);

    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(EditGroup, &QLineEdit::textChanged, this, &TFormWindExclusionGroup::EditGroupChange);
    setMinimumWidth(340);
}

void TFormWindExclusionGroup::setCaptions() {
    auto& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    LabelGroup->setText(texts.profile(kTextLabel));
    ButtonOK->setText(texts.profile(kTextOk));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormWindExclusionGroup::EditGroupChange() {
    ButtonOK->setEnabled(!EditGroup->text().trimmed().isEmpty());
}

std::optional<QString> TFormWindExclusionGroup::ask(const QString& title) {
    setCaptions();
    EditGroup->setText(title);
    EditGroupChange();
    EditGroup->selectAll();
    EditGroup->setFocus();
    if (exec() != QDialog::Accepted || EditGroup->text().trimmed().isEmpty()) return std::nullopt;
    return EditGroup->text().trimmed();
}
