#include "profiles/TForm_Input.h"

#include "app/AppContext.h"
#include "contracts/TFormNonStandardContractConfiguration.h"
#include "db/VersionGate.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kTextOK = 50;
constexpr int kTextCancel = 51;
constexpr int kTextAttention = 231;
constexpr int kTextCreateCaption = 310;
constexpr int kTextProfileCaption = 311;
constexpr int kTextPropertiesCaption = 608;
constexpr int kTextEmptyTitle = 330;
constexpr int kTextLockQuestion = 331;
constexpr int kTextNoUnitsFirst = 3200;
constexpr int kTextNoUnitsLast = 3202;
constexpr int kFeatureLock = 101;
}  // namespace

TForm_Input::TForm_Input(app::AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TForm_Input"));
    buildUi();
}

void TForm_Input::buildUi() {
    setModal(true);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    const auto make = [this]<typename W>(W*& widget, const char* name) {
        widget = new W(GroupBox1);
        widget->setObjectName(QLatin1String(name));
    };
    make(LabelTitle, "LabelTitle");
    make(Edit1, "Edit1");
    make(LabelDescription, "LabelDescription");
    make(Memo1, "Memo1");
    make(CheckBoxHide, "CheckBoxHide");
    make(CheckShadow, "CheckShadow");
    make(CheckBoxEnableIntegrityCalc, "CheckBoxEnableIntegrityCalc");
    make(CheckBoxAddStandardContents, "CheckBoxAddStandardContents");
    make(LabelContract, "LabelContract");
    make(ComboBoxContract, "ComboBoxContract");
    make(CheckBoxUseSeaLevel, "CheckBoxUseSeaLevel");
    make(ButtonNonStandard, "ButtonNonStandard");
    Memo1->setTabChangesFocus(true);
    LabelTitle->setBuddy(Edit1);
    LabelDescription->setBuddy(Memo1);
    LabelContract->setBuddy(ComboBoxContract);

    auto* grid = new QGridLayout(GroupBox1);
    int row = 0;
    grid->addWidget(LabelTitle, row, 0);
    grid->addWidget(Edit1, row++, 1);
    grid->addWidget(LabelDescription, row, 0, Qt::AlignTop);
    grid->addWidget(Memo1, row++, 1);
    for (QWidget* box :
         {static_cast<QWidget*>(CheckBoxHide), static_cast<QWidget*>(CheckShadow),
          static_cast<QWidget*>(CheckBoxEnableIntegrityCalc), static_cast<QWidget*>(CheckBoxUseSeaLevel),
          static_cast<QWidget*>(CheckBoxAddStandardContents)})
        grid->addWidget(box, row++, 0, 1, 2);
    grid->addWidget(LabelContract, row, 0);
    auto* contractRow = new QHBoxLayout;
    contractRow->addWidget(ComboBoxContract);
    contractRow->addStretch();
    contractRow->addWidget(ButtonNonStandard);
    grid->addLayout(contractRow, row++, 1);

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
    layout->addWidget(GroupBox1, 1);
    layout->addLayout(buttons);
    resize(480, 380);

    connect(CheckBoxHide, &QCheckBox::clicked, this, &TForm_Input::CheckBoxHideClick);
    connect(ButtonNonStandard, &QPushButton::clicked, this, &TForm_Input::ButtonNonStandardClick);
    connect(ButtonOK, &QPushButton::clicked, this, &TForm_Input::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TForm_Input::ButtonCancelClick);
}

QString TForm_Input::text(int number) { return context_.texts().profile(number); }

bool TForm_Input::versionAtLeast(const char* threshold) const {
    return context_.IsDatabaseVersionAtLeast(QLatin1String(threshold));
}

void TForm_Input::setCaptions() {
    const struct {
        QWidget* control;
        int number;
    } captions[] = {{LabelTitle, 320},
                    {LabelDescription, 321},
                    {LabelContract, 322},
                    {CheckBoxHide, 323},
                    {CheckShadow, 324},
                    {CheckBoxUseSeaLevel, 325},
                    {CheckBoxEnableIntegrityCalc, 326},
                    {CheckBoxAddStandardContents, 327},
                    {ButtonNonStandard, 328},
                    {ButtonOK, kTextOK},
                    {ButtonCancel, kTextCancel}};
    for (const auto& caption : captions) {
        const QString value = text(caption.number);
        if (auto* label = qobject_cast<QLabel*>(caption.control))
            label->setText(value);
        else if (auto* button = qobject_cast<QAbstractButton*>(caption.control))
            button->setText(value);
    }
    ui::nameAfter(Edit1, LabelTitle->text());
    ui::nameAfter(Memo1, LabelDescription->text());
    ui::nameAfter(ComboBoxContract, LabelContract->text());
    if (creating_) {
        setWindowTitle(text(kTextCreateCaption));
        GroupBox1->setTitle(text(kTextProfileCaption));
    } else {
        setWindowTitle(QString(context_.texts().profile(kTextPropertiesCaption)).remove(QLatin1Char('&')));
        GroupBox1->setTitle(text(kTextProfileCaption));
    }
}

void TForm_Input::prepare(const profiles::ProfileInput& input, bool creating, bool offerUnits) {
    creating_ = creating;
    input_ = input;
    setCaptions();
    Edit1->setText(input.title);
    Memo1->setPlainText(input.description);
    CheckBoxHide->setChecked(input.locked);
    CheckBoxHide->setEnabled(true);
    // Only users who may lock and unlock profiles lock one here.
    CheckBoxHide->setVisible(context_.HasFeature(kFeatureLock));
    Memo1->setFixedHeight(CheckBoxHide->isVisibleTo(this) ? 80 : 120);
    CheckShadow->setChecked(input.autoGenerate);
    CheckBoxEnableIntegrityCalc->setChecked(input.integrity);
    CheckBoxEnableIntegrityCalc->setEnabled(versionAtLeast("3.1.0.0"));
    // A contract the list does not name stays as it is rather than being
    // changed (and the shadow data marked) by an OK.
    ComboBoxContract->clear();
    ComboBoxContract->addItems({QStringLiteral("RTV2100"), QStringLiteral("RTV2200")});
    if (!input.contract.isEmpty() && ComboBoxContract->findText(input.contract) < 0)
        ComboBoxContract->addItem(input.contract);
    ComboBoxContract->setCurrentIndex(std::max(0, ComboBoxContract->findText(input.contract)));
    ComboBoxContract->setEnabled(versionAtLeast("3.9.1.2"));
    CheckBoxUseSeaLevel->setChecked(input.seaLevel);
    CheckBoxUseSeaLevel->setVisible(versionAtLeast("3.9.3.10"));
    const bool options = versionAtLeast("3.10.1.1") && options_;
    ButtonNonStandard->setEnabled(options);
    ui::setHint(ButtonNonStandard, options ? QString() : db::versionGateHint(QStringLiteral("3.10.1.1")));
    CheckBoxAddStandardContents->setChecked(false);
    CheckBoxAddStandardContents->setVisible(creating && offerUnits);
    Edit1->setFocus();
    Edit1->selectAll();
}

void TForm_Input::PrepareCreate(bool offerUnits) { prepare(profiles::ProfileInput{}, true, offerUnits); }

int TForm_Input::ExecuteCreate(bool offerUnits) {
    PrepareCreate(offerUnits);
    return exec() == QDialog::Accepted ? kResultOK : kResultCancel;
}

void TForm_Input::PrepareProperties(const profiles::CurrentProfile& profile) {
    prepare(profiles::inputFromProfile(profile), false, false);
}

int TForm_Input::ExecuteProperties(const profiles::CurrentProfile& profile) {
    PrepareProperties(profile);
    return exec() == QDialog::Accepted ? kResultOK : kResultCancel;
}

bool TForm_Input::addUnits() const {
    return CheckBoxAddStandardContents->isVisibleTo(this) && CheckBoxAddStandardContents->isChecked();
}

void TForm_Input::CheckBoxHideClick(bool checked) {
    if (!checked) return;
    const auto answer = context_.prompts().question(
        ui::Icon::Warning, text::withLineBreaks(text(kTextLockQuestion)), text(kTextProfileCaption),
        ui::Button::Ok | ui::Button::Cancel, ui::Button::Cancel);
    if (answer == ui::Button::Ok)
        CheckBoxHide->setEnabled(false);  // the lock cannot be undone here
    else
        CheckBoxHide->setChecked(false);
}

void TForm_Input::ButtonNonStandardClick() {
    if (!options_) return;
    const auto gate = [this](const QString& threshold) {
        return context_.IsDatabaseVersionAtLeast(threshold);
    };
    const auto feature = [this](int code) { return context_.HasFeature(code); };
    options_->Prepare(input_.options, profiles::optionOffers(gate, feature, input_.options));
    if (options_->Execute() == QDialog::Accepted) input_.options = options_->values();
}

void TForm_Input::readInput() {
    input_.title = Edit1->text();
    input_.description = Memo1->toPlainText();
    input_.locked = CheckBoxHide->isChecked();
    input_.autoGenerate = CheckShadow->isChecked();
    input_.integrity = CheckBoxEnableIntegrityCalc->isChecked();
    input_.contract = ComboBoxContract->currentText();
    input_.seaLevel = CheckBoxUseSeaLevel->isChecked();
}

void TForm_Input::ButtonOKClick() {
    if (Edit1->text().trimmed().isEmpty()) {
        context_.prompts().message(ui::Icon::Warning, text(kTextEmptyTitle), text(kTextAttention));
        Edit1->setFocus();
        return;
    }
    if (CheckBoxAddStandardContents->isVisibleTo(this) && !CheckBoxAddStandardContents->isChecked()) {
        QStringList question;
        for (int number = kTextNoUnitsFirst; number <= kTextNoUnitsLast; ++number)
            question << context_.texts().reportDialog(number);
        const auto answer = context_.prompts().question(ui::Icon::Question, question.join(QLatin1Char('\n')),
                                                        text(kTextAttention),
                                                        ui::Button::Yes | ui::Button::No, ui::Button::No);
        if (answer != ui::Button::Yes) return;
    }
    readInput();
    accept();
}

void TForm_Input::ButtonCancelClick() { reject(); }
