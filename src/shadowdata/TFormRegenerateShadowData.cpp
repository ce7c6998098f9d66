#include "shadowdata/TFormRegenerateShadowData.h"

#include "app/AppContext.h"
#include "shadowdata/DataLimits.h"
#include "ui/LoadOnFirstShow.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kNoLimit = QStringLiteral("[-]");
}  // namespace

TFormRegenerateShadowData::TFormRegenerateShadowData(app::AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), context_(context) {
    setObjectName(QStringLiteral("TFormRegenerateShadowData"));
    buildUi();
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { FormShow(); });
}

void TFormRegenerateShadowData::buildUi() {
    setWindowTitle(QStringLiteral("Date selection"));
    setModal(true);
    auto makeLabel = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    Label1 = makeLabel("Label1");
    Label4 = makeLabel("Label4");
    Label5 = makeLabel("Label5");
    Label2 = makeLabel("Label2");
    Label3 = makeLabel("Label3");
    Label2->setText(kNoLimit);
    Label3->setText(kNoLimit);

    DatePicker = new QDateEdit(this);
    DatePicker->setObjectName(QStringLiteral("DatePicker"));
    DatePicker->setCalendarPopup(true);
    DatePicker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    DatePicker->setAutoFillBackground(true);
    Label1->setBuddy(DatePicker);

    ButtonOK = new QPushButton(this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(Label4, 0, 0);
    grid->addWidget(Label2, 0, 1);
    grid->addWidget(Label5, 1, 0);
    grid->addWidget(Label3, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Label1);
    layout->addWidget(DatePicker);
    layout->addLayout(buttons);

    connect(DatePicker, &QDateEdit::dateChanged, this, &TFormRegenerateShadowData::DatePickerChange);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormRegenerateShadowData::ButtonOKClick);
}

void TFormRegenerateShadowData::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    Label1->setText(texts.profile(kTextPrompt));
    Label4->setText(texts.profile(kTextFirstData));
    Label5->setText(texts.profile(kTextLastData));
    ButtonOK->setText(texts.profile(kTextOK));
}

void TFormRegenerateShadowData::Prepare() { firstShow_->prepare(); }

void TFormRegenerateShadowData::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormRegenerateShadowData::FormShow() {
    QString error;
    limits_ = shadowdata::readDataLimits(context_.Database(), &error);
    if (!error.isEmpty()) {
        context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        context_.prompts().message(ui::Icon::Error, error, context_.texts().profile(kTextCaption));
    }
    if (limits_) {
        Label2->setText(u'[' + shadowdata::dateText(limits_->minimum.date()) + u']');
        Label3->setText(u'[' + shadowdata::dateText(limits_->maximum.date()) + u']');
        DatePicker->setDate(limits_->minimum.date());
    } else {
        Label2->setText(kNoLimit);
        Label3->setText(kNoLimit);
        DatePicker->setDate(QDate::currentDate());
    }
    DatePickerChange();
    DatePicker->setFocus();
}

bool TFormRegenerateShadowData::insideLimits(const QDate& day) const {
    // Without raw data there is nothing to hold the day to; refusing every
    // day would leave a dialog that cannot be closed.
    if (!limits_) return true;
    return day >= limits_->minimum.date() && day <= limits_->maximum.date();
}

void TFormRegenerateShadowData::DatePickerChange() {
    const bool inside = insideLimits(DatePicker->date());
    QPalette palette = DatePicker->palette();
    palette.setColor(QPalette::Base, inside ? QColor(Qt::white) : QColor(Qt::red));
    DatePicker->setPalette(palette);
    ButtonOK->setEnabled(inside);
}

void TFormRegenerateShadowData::ButtonOKClick() {
    if (limits_) {
        const QDate minimum = limits_->minimum.date();
        const QDate maximum = limits_->maximum.date();
        if (DatePicker->date() > maximum)
            DatePicker->setDate(maximum);
        else if (DatePicker->date() < minimum)
            DatePicker->setDate(minimum);
    }
    closingByOK_ = true;
    accept();
    closingByOK_ = false;
}

QDate TFormRegenerateShadowData::chosenDate() const { return DatePicker->date(); }

void TFormRegenerateShadowData::reject() {}

void TFormRegenerateShadowData::closeEvent(QCloseEvent* event) {
    if (!closingByOK_) event->ignore();
}
