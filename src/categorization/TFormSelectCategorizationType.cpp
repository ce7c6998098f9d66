#include "categorization/TFormSelectCategorizationType.h"

#include "app/AppContext.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFormSelectCategorizationType::TFormSelectCategorizationType(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormSelectCategorizationType"));
    buildUi();
}

void TFormSelectCategorizationType::buildUi() {
    setModal(true);
    RadioButtonEventCategorization = new QRadioButton(this);
    RadioButtonEventCategorization->setObjectName(QStringLiteral("RadioButtonEventCategorization"));
    RadioButtonDerateSourceCategorization = new QRadioButton(this);
    RadioButtonDerateSourceCategorization->setObjectName(
        QStringLiteral("RadioButtonDerateSourceCategorization"));
    RadioButtonEventCategorization->setChecked(true);

    ButtonOK = new QPushButton(this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RadioButtonEventCategorization);
    layout->addWidget(RadioButtonDerateSourceCategorization);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(ButtonOK, &QPushButton::clicked, this, &TFormSelectCategorizationType::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormSelectCategorizationType::ButtonCancelClick);
}

void TFormSelectCategorizationType::showEvent(QShowEvent* event) {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    RadioButtonEventCategorization->setText(texts.profile(kTextEvent));
    RadioButtonDerateSourceCategorization->setText(texts.profile(kTextDerate));
    ButtonOK->setText(texts.profile(kTextOK));
    ButtonCancel->setText(texts.profile(kTextCancel));
    QDialog::showEvent(event);
}

int TFormSelectCategorizationType::Execute() {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormSelectCategorizationType::Execute"));
    RadioButtonEventCategorization->setChecked(true);
    return exec();
}

int TFormSelectCategorizationType::CategorizationType() const {
    return RadioButtonEventCategorization->isChecked() ? EventCategorization : DerateSourceCategorization;
}

void TFormSelectCategorizationType::ButtonOKClick() { accept(); }

void TFormSelectCategorizationType::ButtonCancelClick() { reject(); }
