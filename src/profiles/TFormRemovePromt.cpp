#include "profiles/TFormRemovePromt.h"

#include "app/AppContext.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kTextOk = 50;
constexpr int kTextCancel = 51;
constexpr int kTextMessage = 542;
constexpr int kTextConfirmationWord = 543;
}  // namespace

TFormRemovePromt::TFormRemovePromt(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormRemovePromt"));
    setWindowTitle(QStringLiteral("Remove profile"));
    buildUi();
}

void TFormRemovePromt::buildUi() {
    auto* layout = new QVBoxLayout(this);
    LabelMessage = new QLabel(this);
    LabelMessage->setObjectName(QStringLiteral("LabelMessage"));
    LabelMessage->setWordWrap(true);
    layout->addWidget(LabelMessage);
    EditApproved = new QLineEdit(this);
    EditApproved->setObjectName(QStringLiteral("EditApproved"));
    layout->addWidget(EditApproved);
    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    CancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    connect(OkButton, &QPushButton::clicked, this, [this] { done(1); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(2); });
    connect(EditApproved, &QLineEdit::textChanged, this, &TFormRemovePromt::EditApprovedChange);
    setMinimumWidth(420);
}

void TFormRemovePromt::setCaptions() {
    auto& texts = context_.texts();
    LabelMessage->setText(text::withLineBreaks(texts.profile(kTextMessage)));
    ui::nameAfter(EditApproved, LabelMessage->text());
    OkButton->setText(texts.profile(kTextOk));
    CancelButton->setText(texts.profile(kTextCancel));
}

void TFormRemovePromt::showEvent(QShowEvent* event) {
    setCaptions();
    EditApproved->clear();
    EditApproved->setFocus();
    EditApprovedChange();
    QDialog::showEvent(event);
}

void TFormRemovePromt::EditApprovedChange() {
    const bool approved = EditApproved->text() == context_.texts().profile(kTextConfirmationWord);
    OkButton->setEnabled(approved);
    OkButton->setDefault(approved);
}

std::optional<QString> TFormRemovePromt::ask() {
    if (exec() != 1) return std::nullopt;
    return EditApproved->text();
}
