#include "users/TFormAddEditUserRole.h"

#include "app/AppContext.h"
#include "users/UserAdministration.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextEditCaption = 80;
constexpr int kTextAddCaption = 81;
constexpr int kTextNoBaseRole = 87;
constexpr int kTextOk = 9001;
constexpr int kTextCancel = 9002;
constexpr int kTextTitle = 9013;
constexpr int kTextDescription = 9014;
constexpr int kTextBaseRole = 9015;
constexpr int kTextAccessLevel = 9016;

QString withoutAmpersand(QString text) { return text.remove(u'&'); }

}  // namespace

TFormAddEditUserRole::TFormAddEditUserRole(app::AppContext& context,
                                           users::UserAdministration& administration, QWidget* parent)
    : QDialog(parent), context_(context), administration_(administration) {
    setObjectName(QStringLiteral("TFormAddEditUserRole"));
    setWindowTitle(QStringLiteral("User role"));
    buildUi();
}

void TFormAddEditUserRole::buildUi() {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    LabelRoleTitle = new QLabel(this);
    EditRoleTitle = new QLineEdit(this);
    EditRoleTitle->setObjectName(QStringLiteral("EditRoleTitle"));
    EditRoleTitle->setMaxLength(kMaxTitle);
    form->addRow(LabelRoleTitle, EditRoleTitle);
    LabelRoleDescription = new QLabel(this);
    MemoRoleDescription = new QPlainTextEdit(this);
    MemoRoleDescription->setObjectName(QStringLiteral("MemoRoleDescription"));
    MemoRoleDescription->setTabChangesFocus(true);
    form->addRow(LabelRoleDescription, MemoRoleDescription);
    LabelUserRoles = new QLabel(QStringLiteral("Base user role on:"), this);
    ComboBoxUserRoles = new QComboBox(this);
    ComboBoxUserRoles->setObjectName(QStringLiteral("ComboBoxUserRoles"));
    form->addRow(LabelUserRoles, ComboBoxUserRoles);
    LabelAccessLevel = new QLabel(this);
    ComboBoxAccessLevel = new QComboBox(this);
    ComboBoxAccessLevel->setObjectName(QStringLiteral("ComboBoxAccessLevel"));
    for (int i = 1; i <= 4; ++i) ComboBoxAccessLevel->addItem(QString::number(i));
    form->addRow(LabelAccessLevel, ComboBoxAccessLevel);
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{LabelRoleTitle, EditRoleTitle},
                                {LabelRoleDescription, MemoRoleDescription},
                                {LabelUserRoles, ComboBoxUserRoles},
                                {LabelAccessLevel, ComboBoxAccessLevel}})
        label->setBuddy(field);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    ButtonOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    layout->addWidget(buttons);

    connect(EditRoleTitle, &QLineEdit::textEdited, this, &TFormAddEditUserRole::FieldChange);
    connect(MemoRoleDescription, &QPlainTextEdit::textChanged, this,
            &TFormAddEditUserRole::MemoRoleDescriptionChange);
    connect(ComboBoxUserRoles, &QComboBox::activated, this, &TFormAddEditUserRole::FieldChange);
    connect(ComboBoxAccessLevel, &QComboBox::activated, this, &TFormAddEditUserRole::FieldChange);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormAddEditUserRole::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(380);
}

void TFormAddEditUserRole::setCaptions() {
    auto& texts = context_.texts();
    for (auto [label, number] :
         {std::pair{LabelRoleTitle, kTextTitle}, std::pair{LabelRoleDescription, kTextDescription},
          std::pair{LabelUserRoles, kTextBaseRole}, std::pair{LabelAccessLevel, kTextAccessLevel}}) {
        label->setText(texts.window(number));
        label->buddy()->setAccessibleName(withoutAmpersand(label->text()));
    }
    ButtonOK->setText(texts.window(kTextOk));
    ButtonCancel->setText(texts.window(kTextCancel));
    for (QPushButton* button : {ButtonOK, ButtonCancel})
        button->setAccessibleName(withoutAmpersand(button->text()));
}

void TFormAddEditUserRole::prepare(const users::UserRole* role) {
    setCaptions();
    roleId_ = role ? role->RoleId : 0;
    createdRoleId_ = 0;
    setWindowTitle(context_.texts().window(role ? kTextEditCaption : kTextAddCaption));
    {
        const QSignalBlocker b1(EditRoleTitle), b2(MemoRoleDescription), b3(ComboBoxUserRoles);
        EditRoleTitle->setText(role ? role->Title : QString());
        MemoRoleDescription->setPlainText(role ? role->Description.left(kMaxDescription) : QString());
        ComboBoxUserRoles->clear();
        ComboBoxUserRoles->addItem(context_.texts().window(kTextNoBaseRole), 0);
        for (const auto& [id, other] : administration_.roles.items)
            ComboBoxUserRoles->addItem(other.Title, id);
        ComboBoxUserRoles->setCurrentIndex(0);
        ComboBoxAccessLevel->setCurrentIndex(role ? std::clamp(role->AccessLevelId, 1, 4) - 1 : 0);
    }
    // The base role only matters for a new role.
    ComboBoxUserRoles->setEnabled(!role);
    changed_ = false;
    FieldChange();
    changed_ = false;
    ButtonOK->setEnabled(false);
    EditRoleTitle->setFocus();
}

void TFormAddEditUserRole::MemoRoleDescriptionChange() {
    const QString text = MemoRoleDescription->toPlainText();
    if (text.size() > kMaxDescription) {
        const QSignalBlocker block(MemoRoleDescription);
        MemoRoleDescription->setPlainText(text.left(kMaxDescription));
        MemoRoleDescription->moveCursor(QTextCursor::End);
    }
    FieldChange();
}

void TFormAddEditUserRole::FieldChange() {
    changed_ = true;
    ButtonOK->setEnabled(!EditRoleTitle->text().trimmed().isEmpty());
}

void TFormAddEditUserRole::ButtonOKClick() {
    if (!ButtonOK->isEnabled()) return;
    users::UserRole role;
    if (const users::UserRole* stored = administration_.roles.find(roleId_)) role = *stored;
    role.RoleId = roleId_;
    role.Title = EditRoleTitle->text();
    role.Description = MemoRoleDescription->toPlainText();
    role.AccessLevelId = ComboBoxAccessLevel->currentIndex() + 1;
    bool ok = false;
    if (roleId_ == 0) {
        ok = administration_.createRole(role, ComboBoxUserRoles->currentData().toInt());
        if (ok) createdRoleId_ = role.RoleId;
    } else {
        ok = administration_.updateRole(role);
    }
    if (ok) accept();
}

bool TFormAddEditUserRole::AddRole(int* createdRoleId) {
    app::BusyScope busy(context_);
    prepare(nullptr);
    const bool accepted = exec() == QDialog::Accepted;
    if (createdRoleId) *createdRoleId = createdRoleId_;
    return accepted;
}

void TFormAddEditUserRole::Prepare(int id) { prepare(administration_.roles.find(id)); }

bool TFormAddEditUserRole::EditRole(int roleId) {
    const users::UserRole* role = administration_.roles.find(roleId);
    if (!role) return false;
    app::BusyScope busy(context_);
    prepare(role);
    return exec() == QDialog::Accepted;
}
