#include "shadowdata/TFormRGSDialog.h"

#include "app/AppContext.h"
#include "shadowdata/DataLimits.h"
#include "ui/LoadOnFirstShow.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// What the limit labels show while no limits are known.
const QString kNoLimit = QStringLiteral("[-]");
}  // namespace

TFormRGSDialog::TFormRGSDialog(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormRGSDialog"));
    buildUi();
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { FormShow(); });
}

void TFormRGSDialog::buildUi() {
    setWindowTitle(QStringLiteral("Regenerate shadow data"));
    setModal(true);

    GroupBoxPeriod = new QGroupBox(this);
    GroupBoxPeriod->setObjectName(QStringLiteral("GroupBoxPeriod"));
    CheckBoxWholePeriod = new QCheckBox(GroupBoxPeriod);
    CheckBoxWholePeriod->setObjectName(QStringLiteral("CheckBoxWholePeriod"));

    auto makeLabel = [this](const char* name, QWidget* parent) {
        auto* label = new QLabel(parent);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    Label1 = makeLabel("Label1", GroupBoxPeriod);
    Label2 = makeLabel("Label2", GroupBoxPeriod);
    Label4 = makeLabel("Label4", GroupBoxPeriod);
    Label5 = makeLabel("Label5", GroupBoxPeriod);
    Label4->setText(kNoLimit);
    Label5->setText(kNoLimit);
    LabelStartError = makeLabel("LabelStartError", GroupBoxPeriod);
    LabelStopError = makeLabel("LabelStopError", GroupBoxPeriod);
    for (QLabel* error : {LabelStartError, LabelStopError}) {
        QPalette palette = error->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        error->setPalette(palette);
    }

    auto makePicker = [this](const char* name) {
        auto* picker = new QDateEdit(GroupBoxPeriod);
        picker->setObjectName(QString::fromLatin1(name));
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        picker->setAutoFillBackground(true);
        connect(picker, &QDateEdit::dateChanged, this, &TFormRGSDialog::DatePickerChange);
        return picker;
    };
    DatePickerStart = makePicker("DatePickerStart");
    DatePickerStop = makePicker("DatePickerStop");
    Label1->setBuddy(DatePickerStart);
    Label2->setBuddy(DatePickerStop);

    auto* grid = new QGridLayout(GroupBoxPeriod);
    grid->addWidget(CheckBoxWholePeriod, 0, 0, 1, 3);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(DatePickerStart, 1, 1);
    grid->addWidget(Label4, 1, 2);
    grid->addWidget(LabelStartError, 2, 1, 1, 2);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(DatePickerStop, 3, 1);
    grid->addWidget(Label5, 3, 2);
    grid->addWidget(LabelStopError, 4, 1, 1, 2);

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
    layout->addWidget(GroupBoxPeriod);
    layout->addLayout(buttons);

    connect(ButtonOK, &QPushButton::clicked, this, &TFormRGSDialog::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormRGSDialog::ButtonCancelClick);
    connect(CheckBoxWholePeriod, &QCheckBox::toggled, this, &TFormRGSDialog::CheckBoxWholePeriodClick);
}

void TFormRGSDialog::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextRegenerate) + QStringLiteral(" (") + title_ + u')');
    GroupBoxPeriod->setTitle(texts.profile(kTextPeriod));
    CheckBoxWholePeriod->setText(texts.profile(kTextWholePeriod));
    Label1->setText(texts.profile(kTextFrom));
    Label2->setText(texts.profile(kTextTo));
    ButtonOK->setText(texts.profile(kTextOK));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormRGSDialog::Prepare(const QString& title) {
    title_ = title;
    firstShow_->prepare();
}

int TFormRGSDialog::Execute(const QString& title) {
    Prepare(title);
    return exec();
}

void TFormRGSDialog::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormRGSDialog::FormShow() {
    QString error;
    limits_ = shadowdata::readDataLimits(context_.Database(), &error);
    if (!error.isEmpty()) {
        context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        context_.prompts().message(ui::Icon::Error, error, context_.texts().profile(kTextRegenerate));
    }
    const QDate today = QDate::currentDate();
    if (limits_) {
        const QDate minimum = limits_->minimum.date();
        Label4->setText(u'[' + shadowdata::dateText(minimum) + u']');
        Label5->setText(u'[' + shadowdata::dateText(limits_->maximum.date()) + u']');
        // One day of slack below the data, for samples stamped at midnight.
        DatePickerStart->setMinimumDate(minimum.addDays(-1));
        DatePickerStop->setMinimumDate(minimum.addDays(-1));
        DatePickerStart->setDate(minimum);
        DatePickerStop->setDate(today);
    } else {
        Label4->setText(kNoLimit);
        Label5->setText(kNoLimit);
        DatePickerStart->clearMinimumDate();
        DatePickerStop->clearMinimumDate();
        DatePickerStart->setDate(today);
        DatePickerStop->setDate(today);
    }
    CheckBoxWholePeriodClick();
    DatePickerChange();
    ButtonOK->setFocus();
}

void TFormRGSDialog::CheckBoxWholePeriodClick() {
    const bool usePickers = !CheckBoxWholePeriod->isChecked();
    DatePickerStart->setEnabled(usePickers);
    DatePickerStop->setEnabled(usePickers);
}

void TFormRGSDialog::DatePickerChange() {
    // Only flagged: the user may still send such a period.
    const bool invalid = DatePickerStart->date() >= DatePickerStop->date();
    markPicker(DatePickerStart, invalid);
    markPicker(DatePickerStop, invalid);
    text::TextTables& texts = context_.texts();
    LabelStartError->setText(invalid ? texts.profile(kTextStartError) : QString());
    LabelStopError->setText(invalid ? texts.profile(kTextStopError) : QString());
}

void TFormRGSDialog::markPicker(QDateEdit* picker, bool invalid) {
    QPalette palette = picker->palette();
    palette.setColor(QPalette::Base, invalid ? QColor(Qt::red) : QColor(Qt::white));
    picker->setPalette(palette);
}

shadowdata::PeriodChoice TFormRGSDialog::choice() const {
    shadowdata::PeriodChoice result;
    result.wholePeriod = CheckBoxWholePeriod->isChecked();
    result.start = DatePickerStart->date();
    result.stop = DatePickerStop->date();
    result.limits = limits_;
    return result;
}

void TFormRGSDialog::ButtonOKClick() { accept(); }

void TFormRGSDialog::ButtonCancelClick() { reject(); }
