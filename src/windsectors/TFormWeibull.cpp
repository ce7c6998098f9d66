#include "windsectors/TFormWeibull.h"

#include "app/AppContext.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int kTextOK = 50;
constexpr int kTextCancel = 51;
constexpr int kTextCaption = 570;
constexpr int kTextGroup = 571;
constexpr int kTextScale = 572;
constexpr int kTextShape = 573;
constexpr int kTextYFactor = 574;

}  // namespace

TFormWeibull::TFormWeibull(app::AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormWeibull"));
    setWindowTitle(QStringLiteral("Weibull"));
    buildUi();
}

void TFormWeibull::buildUi() {
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    // The density with its exponents raised, as the formula is printed.
    LabelFormula = new QLabel(GroupBox1);
    LabelFormula->setObjectName(QStringLiteral("LabelFormula"));
    LabelFormula->setTextFormat(Qt::RichText);
    LabelFormula->setText(
        QStringLiteral("f(x) = k &middot; c<sup>-k</sup> &middot; x<sup>k-1</sup> &middot; "
                       "e<sup>-(x/c)<sup>k</sup></sup> &middot; Y"));
    // Only digits and a decimal mark can be typed; the key filter of the boxes.
    auto* keys = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.,]*")), this);
    const auto makeEdit = [&](const char* name) {
        auto* edit = new QLineEdit(GroupBox1);
        edit->setObjectName(QLatin1String(name));
        edit->setValidator(keys);
        connect(edit, &QLineEdit::textChanged, this, &TFormWeibull::EditChange);
        return edit;
    };
    Editc = makeEdit("Editc");
    Editk = makeEdit("Editk");
    EditYFactor = makeEdit("EditYFactor");
    Labelc = new QLabel(GroupBox1);
    Labelk = new QLabel(GroupBox1);
    LabelYFactor = new QLabel(GroupBox1);
    Labelc->setBuddy(Editc);
    Labelk->setBuddy(Editk);
    LabelYFactor->setBuddy(EditYFactor);
    auto* form = new QFormLayout;
    form->addRow(Labelc, Editc);
    form->addRow(Labelk, Editk);
    form->addRow(LabelYFactor, EditYFactor);
    auto* group = new QVBoxLayout(GroupBox1);
    group->addWidget(LabelFormula);
    group->addLayout(form);

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
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    connect(ButtonOK, &QPushButton::clicked, this, [this] {
        if (parameters().c > 0.0) done(kResultOk);
    });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { done(kResultCancel); });
}

void TFormWeibull::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    GroupBox1->setTitle(u' ' + texts.profile(kTextGroup) + u' ');
    Labelc->setText(texts.profile(kTextScale));
    Labelk->setText(texts.profile(kTextShape));
    LabelYFactor->setText(texts.profile(kTextYFactor));
    ui::nameAfter(Editc, Labelc->text());
    ui::nameAfter(Editk, Labelk->text());
    ui::nameAfter(EditYFactor, LabelYFactor->text());
    ui::nameAfter(LabelFormula, QStringLiteral("f(x) = k * c^-k * x^(k-1) * e^(-(x/c)^k) * Y"));
    ButtonOK->setText(texts.profile(kTextOK));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormWeibull::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormWeibull::Prepare() {
    Editc->setText(QStringLiteral("7"));
    Editk->setText(QStringLiteral("2"));
    EditYFactor->setText(QStringLiteral("100"));
    Editc->setFocus();
}

int TFormWeibull::Execute() {
    Prepare();
    return exec();
}

windsectors::WeibullParameters TFormWeibull::parameters() const {
    return windsectors::readWeibullParameters(Editc->text(), Editk->text(), EditYFactor->text())
        .value_or(windsectors::WeibullParameters{0.0, 0.0, 0.0});
}

void TFormWeibull::EditChange() {
    ButtonOK->setEnabled(
        windsectors::readWeibullParameters(Editc->text(), Editk->text(), EditYFactor->text()).has_value());
}
