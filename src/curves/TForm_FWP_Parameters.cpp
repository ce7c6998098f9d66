#include "curves/TForm_FWP_Parameters.h"

#include "app/AppContext.h"
#include "curves/CurveTexts.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace curves::texts;

namespace {
constexpr int kTitleLength = 50;  // the column's width
}

TForm_FWP_Parameters::TForm_FWP_Parameters(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TForm_FWP_Parameters"));
    setWindowTitle(QStringLiteral("Free wind parameter setup"));
    buildUi();
}

void TForm_FWP_Parameters::buildUi() {
    for (int i = 0; i < curves::kFreeWindBoxes; ++i) {
        Edits[size_t(i)] = new QLineEdit(this);
        Edits[size_t(i)]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        Labels[size_t(i)] = new QLabel(this);
        Labels[size_t(i)]->setBuddy(Edits[size_t(i)]);
    }
    Edits[0]->setMaxLength(kTitleLength);
    auto* titleRow = new QFormLayout;
    titleRow->addRow(Labels[0], Edits[0]);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* columns = new QHBoxLayout(GroupBox1);
    // Low pitch: boxes 1 to 5, high pitch: 6 to 10, stopped turbine: 11 to 14.
    const std::array<std::pair<int, int>, 3> ranges = {{{1, 5}, {6, 10}, {11, 14}}};
    LabelStop = new QLabel(GroupBox1);
    for (size_t g = 0; g < ranges.size(); ++g) {
        auto* column = new QVBoxLayout;
        if (g == 2) column->addWidget(LabelStop);
        Formulas[g] = new QLabel(QStringLiteral("f(x) = ax\u00b3 + bx\u00b2 + cx + d"), GroupBox1);
        column->addWidget(Formulas[g]);
        auto* form = new QFormLayout;
        for (int i = ranges[g].first; i <= ranges[g].second; ++i)
            form->addRow(Labels[size_t(i)], Edits[size_t(i)]);
        column->addLayout(form);
        column->addStretch();
        columns->addLayout(column);
    }

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
    layout->addLayout(titleRow);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    connect(ButtonOK, &QPushButton::clicked, this, &TForm_FWP_Parameters::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { done(kResultCancel); });
}

void TForm_FWP_Parameters::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kFreeWindDialog));
    GroupBox1->setTitle(u' ' + texts.profile(kFreeWindGroup) + u' ');
    Labels[0]->setText(texts.profile(kFreeWindTitle));
    for (int i = 1; i < curves::kFreeWindBoxes; ++i)
        Labels[size_t(i)]->setText(texts.profile(kFreeWindFirstLabel + i - 1));
    LabelStop->setText(texts.profile(kFreeWindStop));
    for (int i = 0; i < curves::kFreeWindBoxes; ++i)
        ui::nameAfter(Edits[size_t(i)], Labels[size_t(i)]->text());
    ButtonOK->setText(texts.profile(kOK));
    ButtonCancel->setText(texts.profile(kCancel));
}

void TForm_FWP_Parameters::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

curves::FreeWindTexts TForm_FWP_Parameters::newSet() {
    curves::FreeWindTexts boxes;
    for (int box : curves::kParameterCBoxes) boxes[size_t(box)] = QStringLiteral("1");
    return boxes;
}

int TForm_FWP_Parameters::Execute(const curves::FreeWindTexts& boxes) {
    setCaptions();
    for (int i = 0; i < curves::kFreeWindBoxes; ++i) Edits[size_t(i)]->setText(boxes[size_t(i)]);
    Edits[0]->setFocus();
    return exec();
}

curves::FreeWindTexts TForm_FWP_Parameters::boxes() const {
    curves::FreeWindTexts out;
    for (int i = 0; i < curves::kFreeWindBoxes; ++i) out[size_t(i)] = Edits[size_t(i)]->text();
    return out;
}

void TForm_FWP_Parameters::ButtonOKClick() {
    const curves::FreeWindCheck check = curves::checkFreeWindBoxes(boxes());
    if (check.problem == curves::FreeWindProblem::None) {
        done(kResultOk);
        return;
    }
    text::TextTables& texts = context_.texts();
    QString message;
    switch (check.problem) {
        case curves::FreeWindProblem::ParameterCZero: message = texts.profile(kParameterCZero); break;
        case curves::FreeWindProblem::TitleMissing: message = texts.profile(kFreeWindTitleMissing); break;
        default:
            message =
                texts.profile(kBoxNotANumber).arg(QString(Labels[size_t(check.box)]->text()).remove(u'&'));
            break;
    }
    context_.prompts().message(ui::Icon::Error, message, texts.profile(kErrorCaption));
    Edits[size_t(check.box)]->setFocus();
}
