#include "users/TEditUser.h"

#include "app/AppContext.h"
#include "users/EditUserRules.h"
#include "users/UserAdministration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextAddCaption = 60;
constexpr int kTextEditCaption = 61;
constexpr int kTextRoleLevel = 73;
constexpr int kTextAddAnother = 200;
constexpr int kTextAddAnotherCaption = 201;
constexpr int kTextOk = 9001;
constexpr int kTextCancel = 9002;
constexpr int kTextInitials = 9003;
constexpr int kTextPassword = 9004;
constexpr int kTextConfirm = 9005;
constexpr int kTextFirstName = 9006;
constexpr int kTextLastName = 9007;
constexpr int kTextOrganisation = 9008;
constexpr int kTextEmail = 9009;
constexpr int kTextLevel = 9010;
constexpr int kTextOverride = 9011;
constexpr int kTextRoles = 9012;

constexpr int kRoleIdRole = Qt::UserRole;

QString withoutAmpersand(QString text) { return text.remove(u'&'); }

}  // namespace

TEditUser::TEditUser(app::AppContext& context, users::UserAdministration& administration, QWidget* parent)
    : QDialog(parent), context_(context), administration_(administration) {
    setObjectName(QStringLiteral("TEditUser"));
    setWindowTitle(QStringLiteral("User"));
    buildUi();
}

void TEditUser::buildUi() {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const auto addEdit = [&](QLabel*& label, QLineEdit*& edit, const char* name, int maxLength) {
        label = new QLabel(this);
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setMaxLength(maxLength);
        label->setBuddy(edit);
        form->addRow(label, edit);
        connect(edit, &QLineEdit::textChanged, this, &TEditUser::FieldChange);
    };
    addEdit(LabelInit, EditInit, "EditInit", kMaxInitials);
    addEdit(LabelPassword1, EditPassword1, "EditPassword1", kMaxPassword);
    addEdit(LabelPassword2, EditPassword2, "EditPassword2", kMaxPassword);
    addEdit(LabelFirstname, EditFirstname, "EditFirstname", kMaxText);
    addEdit(LabelLastname, EditLastname, "EditLastname", kMaxText);
    addEdit(LabelOrganisation, EditOrganisation, "EditOrganisation", kMaxText);
    addEdit(LabelEmail, EditEmail, "EditEmail", kMaxText);
    for (QLineEdit* password : {EditPassword1, EditPassword2}) {
        password->setEchoMode(QLineEdit::Password);
        password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
        connect(password, &QLineEdit::textEdited, this, &TEditUser::PasswordEdited);
    }
    LabelLevel = new QLabel(this);
    ComboBoxLevel = new QComboBox(this);
    ComboBoxLevel->setObjectName(QStringLiteral("ComboBoxLevel"));
    LabelLevel->setBuddy(ComboBoxLevel);
    form->addRow(LabelLevel, ComboBoxLevel);
    CheckBoxOverrideUserlevel = new QCheckBox(QStringLiteral("Specify user level"), this);
    CheckBoxOverrideUserlevel->setObjectName(QStringLiteral("CheckBoxOverrideUserlevel"));
    form->addRow(QString(), CheckBoxOverrideUserlevel);
    layout->addLayout(form);
    LabelUserRoles = new QLabel(this);
    CheckListBoxUserRoles = new QListWidget(this);
    CheckListBoxUserRoles->setObjectName(QStringLiteral("CheckListBoxUserRoles"));
    LabelUserRoles->setBuddy(CheckListBoxUserRoles);
    layout->addWidget(LabelUserRoles);
    layout->addWidget(CheckListBoxUserRoles);

    auto* buttons = new QDialogButtonBox(this);
    ButtonOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    layout->addWidget(buttons);

    connect(ComboBoxLevel, &QComboBox::currentIndexChanged, this, &TEditUser::FieldChange);
    connect(ButtonOK, &QPushButton::clicked, this, &TEditUser::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(380);
}

void TEditUser::setCaptions() {
    auto& texts = context_.texts();
    const std::pair<QLabel*, int> labels[] = {
        {LabelInit, kTextInitials},     {LabelPassword1, kTextPassword},
        {LabelPassword2, kTextConfirm}, {LabelFirstname, kTextFirstName},
        {LabelLastname, kTextLastName}, {LabelOrganisation, kTextOrganisation},
        {LabelEmail, kTextEmail},       {LabelLevel, kTextLevel},
        {LabelUserRoles, kTextRoles}};
    for (const auto& [label, number] : labels) {
        label->setText(texts.window(number));
        label->buddy()->setAccessibleName(withoutAmpersand(label->text()));
    }
    CheckBoxOverrideUserlevel->setText(texts.window(kTextOverride));
    ButtonOK->setText(texts.window(kTextOk));
    ButtonCancel->setText(texts.window(kTextCancel));
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{CheckBoxOverrideUserlevel, ButtonOK, ButtonCancel})
        button->setAccessibleName(withoutAmpersand(button->text()));
    const QSignalBlocker block(ComboBoxLevel);
    const int level = ComboBoxLevel->currentIndex();
    ComboBoxLevel->clear();
    ComboBoxLevel->addItem(texts.window(kTextRoleLevel));
    for (int i = 1; i <= 4; ++i) ComboBoxLevel->addItem(QString::number(i));
    ComboBoxLevel->setCurrentIndex(std::max(level, 0));
}

bool TEditUser::storesPasswords() const { return administration_.settings().oldUserColumns(); }

void TEditUser::prepare(const users::User* user) {
    setCaptions();
    userId_ = user ? user->UserId : 0;
    passwordChanged_ = false;
    setWindowTitle(context_.texts().window(user ? kTextEditCaption : kTextAddCaption));
    {
        const QSignalBlocker b1(EditInit), b2(EditPassword1), b3(EditPassword2), b4(EditFirstname),
            b5(EditLastname), b6(EditOrganisation), b7(EditEmail), b8(ComboBoxLevel);
        EditInit->setText(user ? user->Initials : QString());
        EditPassword1->setText(user ? user->Password : QString());
        EditPassword2->setText(user ? user->Password : QString());
        EditFirstname->setText(user ? user->FirstName : QString());
        EditLastname->setText(user ? user->SurName : QString());
        EditOrganisation->setText(user ? user->Organisation : QString());
        EditEmail->setText(user ? user->Email : QString());
        ComboBoxLevel->setCurrentIndex(user ? std::clamp(user->AccessLevelId, 0, 4) : 1);
    }
    CheckBoxOverrideUserlevel->setChecked(user && user->OverrideAccessLevel);
    const bool old = storesPasswords();
    for (QWidget* field : std::initializer_list<QWidget*>{EditPassword1, EditPassword2, ComboBoxLevel,
                                                          CheckBoxOverrideUserlevel})
        field->setEnabled(old);
    CheckListBoxUserRoles->clear();
    for (const auto& [roleId, role] : administration_.roles.items) {
        auto* item = new QListWidgetItem(role.Title, CheckListBoxUserRoles);
        item->setData(kRoleIdRole, roleId);
        const bool member = user && user->rights.of(users::RightKind::Members).count(roleId);
        item->setCheckState(member ? Qt::Checked : Qt::Unchecked);
        // Roles that take no users can be neither ticked nor unticked.
        if (!role.Relatable) item->setFlags(item->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled));
    }
    FieldChange();
    ButtonOK->setEnabled(false);
    EditInit->setFocus();
}

void TEditUser::PasswordEdited() { passwordChanged_ = true; }

void TEditUser::FieldChange() {
    const QString email = EditEmail->text();
    const users::UserFields fields{EditInit->text(), EditPassword1->text(), EditPassword2->text(), email};
    ButtonOK->setEnabled(users::UserOkEnabled(fields, storesPasswords()));
    QPalette palette = EditEmail->palette();
    const bool invalid = !email.isEmpty() && !users::IsValidEmail(email);
    palette.setColor(QPalette::Base, invalid ? QColor(Qt::red) : this->palette().color(QPalette::Base));
    EditEmail->setPalette(palette);
}

users::User TEditUser::userFromFields() const {
    users::User user;
    if (const users::User* stored = administration_.users.find(userId_)) user = *stored;
    user.UserId = userId_;
    user.Initials = EditInit->text();
    user.FirstName = EditFirstname->text();
    user.SurName = EditLastname->text();
    user.Organisation = EditOrganisation->text();
    user.Email = EditEmail->text();
    user.AccessLevelId = ComboBoxLevel->currentIndex();
    user.OverrideAccessLevel = CheckBoxOverrideUserlevel->isChecked();
    return user;
}

std::set<int> TEditUser::tickedRoles() const {
    std::set<int> roles;
    for (int row = 0; row < CheckListBoxUserRoles->count(); ++row) {
        const QListWidgetItem* item = CheckListBoxUserRoles->item(row);
        if (item->checkState() == Qt::Checked) roles.insert(item->data(kRoleIdRole).toInt());
    }
    return roles;
}

void TEditUser::ButtonOKClick() {
    if (!ButtonOK->isEnabled()) return;
    users::User user = userFromFields();
    const QString password = EditPassword1->text();
    if (userId_ == 0) {
        if (!administration_.createUser(user, password, tickedRoles())) return;
        wrote_ = true;
        const ui::Button answer =
            context_.prompts().question(ui::Icon::Question, context_.texts().window(kTextAddAnother),
                                        context_.texts().window(kTextAddAnotherCaption),
                                        ui::Button::Yes | ui::Button::No, ui::Button::Yes);
        if (answer == ui::Button::Yes)
            prepare(nullptr);
        else
            accept();
        return;
    }
    // Roles that take no users keep what they had: they cannot be changed here.
    std::set<int> roles = tickedRoles();
    if (const users::User* stored = administration_.users.find(userId_))
        for (int roleId : stored->rights.of(users::RightKind::Members))
            if (const users::UserRole* role = administration_.roles.find(roleId); role && !role->Relatable)
                roles.insert(roleId);
    bool written = false;
    const bool updated =
        administration_.updateUser(user, passwordChanged_ ? &password : nullptr, roles, &written);
    wrote_ = wrote_ || written;
    if (updated) accept();
}

bool TEditUser::AddUsers() {
    app::BusyScope busy(context_);
    wrote_ = false;
    prepare(nullptr);
    exec();
    return wrote_;
}

void TEditUser::Prepare(int id) { prepare(administration_.users.find(id)); }

bool TEditUser::EditUser(int userId) {
    const users::User* user = administration_.users.find(userId);
    if (!user) return false;
    app::BusyScope busy(context_);
    wrote_ = false;
    prepare(user);
    exec();
    return wrote_;
}
