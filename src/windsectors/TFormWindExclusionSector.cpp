#include "windsectors/TFormWindExclusionSector.h"

#include "app/AppContext.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/Prompts.h"
#include "windsectors/SectorInput.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr int kTextOk = 50;
constexpr int kTextCancel = 51;
constexpr int kTextCaption = 183;
constexpr int kTextStart = 184;
constexpr int kTextStop = 185;
constexpr int kTextExcluded = 186;
constexpr int kTextRun = 187;
constexpr int kTextStopFunction = 188;
constexpr int kTextExample = 200;
constexpr int kTextFirstCoefficient = 201;  // a, b, c, d
constexpr int kTextAngles = 205;
constexpr int kTextFunctions = 206;
constexpr int kTextMessageCaption = 210;

constexpr const char* kEditNames[] = {"EditRunA",  "EditRunB",  "EditRunC",  "EditRunD",
                                      "EditStopA", "EditStopB", "EditStopC", "EditStopD"};

}  // namespace

TFormWindExclusionSector::TFormWindExclusionSector(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormWindExclusionSector"));
    buildUi();
}

void TFormWindExclusionSector::buildUi() {
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    GroupBoxAngles = new QGroupBox(this);
    GroupBoxAngles->setObjectName(QStringLiteral("GroupBoxAngles"));
    auto* angles = new QGridLayout(GroupBoxAngles);
    // Whole degrees: digits, and the '.' a user may type, which OK refuses.
    auto* angleValidator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]{0,3}")), this);
    const auto makeAngle = [&](const char* name, QLabel*& label, int row) {
        label = new QLabel(GroupBoxAngles);
        auto* edit = new QLineEdit(GroupBoxAngles);
        edit->setObjectName(QLatin1String(name));
        edit->setMaxLength(kAngleLength);
        edit->setValidator(angleValidator);
        label->setBuddy(edit);
        angles->addWidget(label, row, 0);
        angles->addWidget(edit, row, 1);
        return edit;
    };
    DBEdit1 = makeAngle("DBEdit1", LabelStart, 0);
    DBEdit10 = makeAngle("DBEdit10", LabelStop, 1);
    LabelExample = new QLabel(GroupBoxAngles);
    LabelExample->setObjectName(QStringLiteral("LabelExample"));
    angles->addWidget(LabelExample, 2, 0, 1, 2);
    CheckBoxExcluded = new QCheckBox(GroupBoxAngles);
    CheckBoxExcluded->setObjectName(QStringLiteral("CheckBoxExcluded"));
    angles->addWidget(CheckBoxExcluded, 3, 0, 1, 2);
    layout->addWidget(GroupBoxAngles);

    GroupBoxFunctions = new QGroupBox(this);
    GroupBoxFunctions->setObjectName(QStringLiteral("GroupBoxFunctions"));
    auto* functions = new QGridLayout(GroupBoxFunctions);
    LabelFunction = new QLabel(QStringLiteral("f(x) = ax\u00b3 + bx\u00b2 + cx + d"), GroupBoxFunctions);
    LabelFunction->setObjectName(QStringLiteral("LabelFunction"));
    functions->addWidget(LabelFunction, 0, 0, 1, 5);
    for (int i = 0; i < 4; ++i) {
        coefficientLabels_[size_t(i)] = new QLabel(GroupBoxFunctions);
        coefficientLabels_[size_t(i)]->setAlignment(Qt::AlignCenter);
        functions->addWidget(coefficientLabels_[size_t(i)], 1, i + 1);
    }
    LabelRun = new QLabel(GroupBoxFunctions);
    LabelStopFunction = new QLabel(GroupBoxFunctions);
    functions->addWidget(LabelRun, 2, 0);
    functions->addWidget(LabelStopFunction, 3, 0);
    auto* coefficientValidator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.,-]{0,9}")), this);
    for (int i = 0; i < 8; ++i) {
        auto* edit = new QLineEdit(GroupBoxFunctions);
        edit->setObjectName(QLatin1String(kEditNames[i]));
        edit->setMaxLength(kCoefficientLength);
        edit->setValidator(coefficientValidator);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 11);
        functions->addWidget(edit, 2 + i / 4, 1 + i % 4);
        coefficientEdits_[size_t(i)] = edit;
    }
    LabelRun->setBuddy(coefficientEdits_[0]);
    LabelStopFunction->setBuddy(coefficientEdits_[4]);
    layout->addWidget(GroupBoxFunctions);

    auto* buttons = new QDialogButtonBox(this);
    ButtonOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    layout->addWidget(buttons);

    connect(ButtonOK, &QPushButton::clicked, this, &TFormWindExclusionSector::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormWindExclusionSector::setCaptions() {
    auto& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    GroupBoxAngles->setTitle(texts.profile(kTextAngles));
    LabelStart->setText(texts.profile(kTextStart));
    LabelStop->setText(texts.profile(kTextStop));
    LabelExample->setText(texts.profile(kTextExample));
    CheckBoxExcluded->setText(texts.profile(kTextExcluded));
    GroupBoxFunctions->setTitle(texts.profile(kTextFunctions));
    LabelRun->setText(texts.profile(kTextRun));
    LabelStopFunction->setText(texts.profile(kTextStopFunction));
    for (int i = 0; i < 4; ++i)
        coefficientLabels_[size_t(i)]->setText(texts.profile(kTextFirstCoefficient + i));
    // Each box is named by its function and its coefficient: "Run a".
    for (int i = 0; i < 8; ++i)
        ui::nameAfter(coefficientEdits_[size_t(i)], texts.profile(i < 4 ? kTextRun : kTextStopFunction) +
                                                        QLatin1Char(' ') +
                                                        texts.profile(kTextFirstCoefficient + i % 4));
    ButtonOK->setText(texts.profile(kTextOk));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormWindExclusionSector::Prepare(const windsectors::SectorValues& values) {
    setCaptions();
    DBEdit1->setText(QString::number(values.from));
    DBEdit10->setText(QString::number(values.to));
    CheckBoxExcluded->setChecked(values.excluded);
    for (int i = 0; i < 8; ++i) coefficientEdits_[size_t(i)]->setText(values.coefficients[size_t(i)]);
    DBEdit1->selectAll();
    DBEdit1->setFocus();
}

std::optional<windsectors::SectorValues> TFormWindExclusionSector::Execute(
    const windsectors::SectorValues& values) {
    Prepare(values);
    if (exec() != QDialog::Accepted) return std::nullopt;
    return read_;
}

void TFormWindExclusionSector::ButtonOKClick() {
    windsectors::SectorInput input;
    input.from = DBEdit1->text();
    input.to = DBEdit10->text();
    input.excluded = CheckBoxExcluded->isChecked();
    for (int i = 0; i < 8; ++i) input.coefficients[size_t(i)] = coefficientEdits_[size_t(i)]->text();
    const windsectors::SectorReading reading = windsectors::readSector(input);
    if (reading.refusal != 0) {
        auto& texts = context_.texts();
        context_.prompts().message(ui::Icon::Error, texts.profile(reading.refusal),
                                   texts.profile(kTextMessageCaption));
        QLineEdit* culprit =
            reading.refusal == windsectors::kMessageBadAngle ? DBEdit1 : coefficientEdits_[0];
        culprit->setFocus();
        return;
    }
    read_ = reading.values;
    accept();
}
