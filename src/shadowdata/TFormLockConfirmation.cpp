#include "shadowdata/TFormLockConfirmation.h"

#include "app/AppContext.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

TFormLockConfirmation::TFormLockConfirmation(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormLockConfirmation"));
    buildUi();
}

void TFormLockConfirmation::buildUi() {
    setWindowTitle(QStringLiteral("Confirmation"));
    setModal(true);

    const auto makeLabel = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    LabelTitle = makeLabel("LabelTitle");
    LabelTitle->setWordWrap(true);
    QFont bold = LabelTitle->font();
    bold.setBold(true);
    LabelTitle->setFont(bold);
    LabelFrom = makeLabel("LabelFrom");
    LabelFromValue = makeLabel("LabelFromValue");
    LabelTo = makeLabel("LabelTo");
    LabelToValue = makeLabel("LabelToValue");
    LabelPassword = makeLabel("LabelPassword");
    EditPassword = new QLineEdit(this);
    EditPassword->setObjectName(QStringLiteral("EditPassword"));
    EditPassword->setEchoMode(QLineEdit::Password);
    EditPassword->setMaxLength(kMaxPasswordLength);
    LabelPassword->setBuddy(EditPassword);

    auto* grid = new QGridLayout;
    grid->addWidget(LabelFrom, 0, 0);
    grid->addWidget(LabelFromValue, 0, 1);
    grid->addWidget(LabelTo, 1, 0);
    grid->addWidget(LabelToValue, 1, 1);
    grid->addWidget(LabelPassword, 2, 0);
    grid->addWidget(EditPassword, 2, 1);
    grid->setColumnStretch(1, 1);

    ButtonOK = new QPushButton(this);
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
    layout->addWidget(LabelTitle);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(EditPassword, &QLineEdit::returnPressed, this, &QDialog::accept);
}

int TFormLockConfirmation::titleText(bool makerUser, bool locking) {
    if (makerUser) return locking ? kTextMakerLock : kTextMakerUnlock;
    return locking ? kTextCustomerLock : kTextCustomerUnlock;
}

void TFormLockConfirmation::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    LabelTitle->setText(texts.profile(titleText_));
    LabelFrom->setText(texts.profile(kTextFrom));
    LabelTo->setText(texts.profile(kTextTo));
    LabelPassword->setText(texts.profile(kTextPassword));
    ButtonOK->setText(texts.profile(kTextOK));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormLockConfirmation::Prepare(bool makerUser, bool locking, const QDateTime& from,
                                    const QDateTime& to) {
    titleText_ = titleText(makerUser, locking);
    LabelFromValue->setText(QLocale().toString(from, QLocale::ShortFormat));
    LabelToValue->setText(QLocale().toString(to, QLocale::ShortFormat));
    EditPassword->clear();
    setCaptions();
}

int TFormLockConfirmation::Execute(bool makerUser, bool locking, const QDateTime& from, const QDateTime& to) {
    Prepare(makerUser, locking, from, to);
    return exec();
}

QString TFormLockConfirmation::password() const { return EditPassword->text(); }

void TFormLockConfirmation::forgetPassword() { EditPassword->clear(); }

void TFormLockConfirmation::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
    EditPassword->setFocus();
}
