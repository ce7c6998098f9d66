#include "curves/TFormCurveProperties.h"

#include "app/AppContext.h"
#include "curves/CurveTexts.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/TypedNumbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace curves::texts;

namespace {
constexpr int kTitleLength = 50;  // the column's width
}

TFormCurveProperties::TFormCurveProperties(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormCurveProperties"));
    setWindowTitle(QStringLiteral("Curve properties"));
    buildUi();
}

void TFormCurveProperties::buildUi() {
    const auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        return edit;
    };
    Edit1 = makeEdit("Edit1");
    Edit1->setMaxLength(kTitleLength);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setTabChangesFocus(true);
    EditAirDensity = makeEdit("EditAirDensity");
    EditCutIn = makeEdit("EditCutIn");
    EditCutOut = makeEdit("EditCutOut");
    // The number boxes take only digits and a decimal mark.
    auto* keys = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.,]*")), this);
    for (QLineEdit* edit : {EditAirDensity, EditCutIn, EditCutOut}) edit->setValidator(keys);
    ComboBoxNormCurveType = new QComboBox(this);
    ComboBoxNormCurveType->setObjectName(QStringLiteral("ComboBoxNormCurveType"));
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    LabelTitle = new QLabel(this);
    LabelDescription = new QLabel(this);
    LabelAirDensity = new QLabel(this);
    LabelType = new QLabel(this);
    LabelCutIn = new QLabel(this);
    LabelCutOut = new QLabel(this);
    auto* form = new QFormLayout;
    const std::pair<QLabel*, QWidget*> rows[] = {{LabelTitle, Edit1},
                                                 {LabelDescription, Memo1},
                                                 {LabelAirDensity, EditAirDensity},
                                                 {LabelType, ComboBoxNormCurveType},
                                                 {LabelCutIn, EditCutIn},
                                                 {LabelCutOut, EditCutOut}};
    for (const auto& [label, field] : rows) {
        label->setBuddy(field);
        form->addRow(label, field);
    }
    form->addRow(QString(), CheckBox1);

    ButtonOK = new QPushButton(this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(460, 380);

    connect(ButtonOK, &QPushButton::clicked, this, &TFormCurveProperties::ButtonOKClick);
    connect(Button1, &QPushButton::clicked, this, [this] { done(kResultCancel); });
    connect(CheckBox1, &QCheckBox::clicked, this, &TFormCurveProperties::CheckBox1Click);
    connect(ComboBoxNormCurveType, &QComboBox::currentIndexChanged, this,
            &TFormCurveProperties::ComboBoxNormCurveTypeChange);
}

void TFormCurveProperties::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kCurveProperties));
    LabelTitle->setText(texts.profile(kTitle));
    LabelDescription->setText(texts.profile(kDescription));
    LabelAirDensity->setText(texts.profile(kAirDensity));
    LabelType->setText(texts.profile(kCurveType));
    LabelCutIn->setText(texts.profile(kCutIn));
    LabelCutOut->setText(texts.profile(kCutOut));
    for (const auto& [field, label] : {std::pair<QWidget*, QLabel*>{Edit1, LabelTitle},
                                       {Memo1, LabelDescription},
                                       {EditAirDensity, LabelAirDensity},
                                       {ComboBoxNormCurveType, LabelType},
                                       {EditCutIn, LabelCutIn},
                                       {EditCutOut, LabelCutOut}})
        ui::nameAfter(field, label->text());
    CheckBox1->setText(texts.profile(kLockCurve));
    ButtonOK->setText(texts.profile(kOK));
    Button1->setText(texts.profile(kCancel));
    const int index = ComboBoxNormCurveType->currentIndex();
    const QSignalBlocker block(ComboBoxNormCurveType);
    ComboBoxNormCurveType->clear();
    ComboBoxNormCurveType->addItem(texts.profile(kPowerCurve));
    if (withTypes_) ComboBoxNormCurveType->addItem(texts.profile(kDistributionCurve));
    ComboBoxNormCurveType->setCurrentIndex(std::clamp(index, 0, ComboBoxNormCurveType->count() - 1));
}

void TFormCurveProperties::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

QString TFormCurveProperties::defaultAirDensity() {
    return QStringLiteral("1") + QLocale().decimalPoint() + QStringLiteral("225");
}

void TFormCurveProperties::Prepare(const curves::CurveProperties& p, bool withTypes) {
    withTypes_ = withTypes;
    setCaptions();
    Edit1->setText(p.title);
    Memo1->setPlainText(p.description);
    EditAirDensity->setText(p.airDensity);
    EditCutIn->setText(p.cutIn);
    EditCutOut->setText(p.cutOut);
    {
        const QSignalBlocker block(ComboBoxNormCurveType);
        ComboBoxNormCurveType->setCurrentIndex(
            std::clamp(p.typeIndex, 0, ComboBoxNormCurveType->count() - 1));
    }
    ComboBoxNormCurveTypeChange(ComboBoxNormCurveType->currentIndex());
    CheckBox1->setChecked(p.locked);
    applyLock(p.locked);
    Edit1->setFocus();
}

int TFormCurveProperties::Execute(const curves::CurveProperties& properties, bool withTypes) {
    Prepare(properties, withTypes);
    return exec();
}

curves::CurveProperties TFormCurveProperties::values() const {
    curves::CurveProperties p;
    p.title = Edit1->text().trimmed();
    p.description = Memo1->toPlainText().left(kMaxDescription);
    p.airDensity = EditAirDensity->text();
    p.typeIndex = std::max(0, ComboBoxNormCurveType->currentIndex());
    p.cutIn = EditCutIn->text().trimmed();
    p.cutOut = EditCutOut->text().trimmed();
    p.locked = CheckBox1->isChecked();
    return p;
}

void TFormCurveProperties::showError(const QString& message) {
    context_.prompts().message(ui::Icon::Error, message, windowTitle());
}

void TFormCurveProperties::ButtonOKClick() {
    if (EditAirDensity->text().trimmed().isEmpty()) EditAirDensity->setText(defaultAirDensity());
    if (!ui::readTypedNumber(EditAirDensity->text())) {
        EditAirDensity->setText(defaultAirDensity());
        showError(context_.texts().profile(kAirDensityInvalid));
        EditAirDensity->setFocus();
        return;
    }
    if (Edit1->text().trimmed().isEmpty()) {
        showError(context_.texts().profile(kTitleMissing));
        Edit1->setFocus();
        return;
    }
    // A speed that is not a number would be stored as nothing without a word.
    for (QLineEdit* edit : {EditCutIn, EditCutOut}) {
        if (!edit->text().trimmed().isEmpty() && !ui::readTypedNumber(edit->text())) {
            showError(context_.texts().profile(kSpeedInvalid));
            edit->setFocus();
            return;
        }
    }
    done(kResultOk);
}

void TFormCurveProperties::applyLock(bool locked) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{Edit1, Memo1, ComboBoxNormCurveType, EditCutIn, EditCutOut})
        w->setEnabled(!locked);
    EditAirDensity->setEnabled(!locked && ComboBoxNormCurveType->currentIndex() == 0);
    CheckBox1->setEnabled(!locked || context_.HasFeature(curves::kFeatureUnlock));
}

void TFormCurveProperties::CheckBox1Click(bool checked) {
    if (checked) {
        const ui::Button answer =
            context_.prompts().question(ui::Icon::Warning, context_.texts().profile(kLockQuestion),
                                        context_.texts().profile(kCurveProperties),
                                        ui::Button::Ok | ui::Button::Cancel, ui::Button::Cancel);
        if (answer != ui::Button::Ok) {
            // The curve stays open: storing it locked against the answer
            // could only be undone by an administrator.
            CheckBox1->setChecked(false);
            return;
        }
    }
    applyLock(checked);
}

void TFormCurveProperties::ComboBoxNormCurveTypeChange(int index) {
    // The air density belongs to a power curve only.
    EditAirDensity->setEnabled(index == 0 && !CheckBox1->isChecked());
}
