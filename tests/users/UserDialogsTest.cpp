// The user, role and organisation dialogs, typed into headless.

#include "UsersTestSupport.h"

#include "support/WhenShown.h"
#include "users/EditUserRules.h"
#include "users/TEditUser.h"
#include "users/TFormAddEditUserRole.h"
#include "users/TFormSetOrganisation.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace users_test;
using testing_support::WhenShown;

namespace {

TEST(EditUserRules, EmailAddresses) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},          {"jana dorn@x.de", false}, {"jana.x.de", false}, {"jana@x@y.de", false},
        {"jana@xde", false},  {"jana.d@xde", false},     {"jana@x.", false},   {"jana@x.de", true},
        {"j.d@x.y.de", true},
    };
    for (const auto& [email, valid] : cases) {
        SCOPED_TRACE(email);
        EXPECT_EQ(users::IsValidEmail(QString::fromLatin1(email)), valid);
    }
    EXPECT_TRUE(users::UserOkEnabled({"AB", "", "", ""}, false));
    EXPECT_FALSE(users::UserOkEnabled({"AB", "pw", "pw2", ""}, true));
    EXPECT_FALSE(users::UserOkEnabled({"AB", "pw", "pw", "bad@mail"}, true));
}

QLineEdit* edit(QWidget& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QLatin1String(name));
}

void type(QWidget& dialog, const char* name, const QString& text) {
    QLineEdit* field = edit(dialog, name);
    field->clear();
    QTest::keyClicks(field, text);
}

void tick(QWidget& dialog, int roleId) {
    auto* roles = dialog.findChild<QListWidget*>(QStringLiteral("CheckListBoxUserRoles"));
    for (int row = 0; row < roles->count(); ++row)
        if (roles->item(row)->data(Qt::UserRole).toInt() == roleId)
            roles->item(row)->setCheckState(Qt::Checked);
}

class UserDialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(env.administration.load()); }
    Environment env{QStringLiteral("3.23.9.9")};
    TEditUser dialog{env.context, env.administration};
};

TEST_F(UserDialogs, AddsAUserWithTwoRolesThenAnother) {
    WhenShown fill(dialog, [&] {
        type(dialog, "EditPassword1", "123456789");
        EXPECT_EQ(edit(dialog, "EditPassword1")->text(), "12345678");
        type(dialog, "EditInit", "NEW");
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        type(dialog, "EditPassword2", "12345678");
        type(dialog, "EditEmail", "new@x");
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        type(dialog, "EditEmail", "new@x.de");
        tick(dialog, kAssetManagers);
        tick(dialog, kGridAnalysts);
        env.prompts.answer(ui::Button::Yes);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_TRUE(edit(dialog, "EditInit")->text().isEmpty());
        type(dialog, "EditInit", "TWO");
        type(dialog, "EditPassword1", "pw");
        type(dialog, "EditPassword2", "pw");
        env.prompts.answer(ui::Button::No);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.AddUsers());
    EXPECT_EQ(env.prompts.take().size(), 2u);
    EXPECT_EQ(env.scalar("SELECT group_concat(R.RoleId) FROM TUserRole_TUser R JOIN TUser U USING (UserId) "
                         "WHERE U.UserInitials = 'NEW'")
                  .toString(),
              "4,5");
    EXPECT_EQ(env.scalar("SELECT UserPassword || UserEmail FROM TUser WHERE UserInitials = 'NEW'").toString(),
              "12345678new@x.de");
    EXPECT_EQ(env.scalar("SELECT UserPassword FROM TUser WHERE UserInitials = 'TWO'").toString(), "pw");
}

TEST_F(UserDialogs, EditKeepsTheStoredPasswordAndASurnameNull) {
    const QVariant password = env.scalar("SELECT UserPassword FROM TUser WHERE UserId = 2");
    WhenShown fill(dialog, [&] {
        type(dialog, "EditLastname", "Null");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.EditUser(kJana));
    EXPECT_EQ(env.scalar("SELECT UserSurName FROM TUser WHERE UserId = 2").toString(), "Null");
    EXPECT_EQ(env.scalar("SELECT UserPassword FROM TUser WHERE UserId = 2"), password);
    EXPECT_FALSE(password.toString().isEmpty());
}

TEST_F(UserDialogs, FailedCreateKeepsTheDialogOpen) {
    env.prompts.allowMessages();
    WhenShown fill(dialog, [&] {
        type(dialog, "EditInit", "ADM");
        type(dialog, "EditPassword1", "pw");
        type(dialog, "EditPassword2", "pw");
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(env.prompts.take().size(), 1u);
        dialog.reject();
    });
    EXPECT_FALSE(dialog.AddUsers());
}

TEST(UserDialogsFrom3_24, PasswordLevelAndOverrideAreOff) {
    Environment env(QStringLiteral("3.24.0.0"));
    ASSERT_TRUE(env.administration.load());
    TEditUser dialog(env.context, env.administration);
    WhenShown check(dialog, [&] {
        for (const char* name :
             {"EditPassword1", "EditPassword2", "ComboBoxLevel", "CheckBoxOverrideUserlevel"})
            EXPECT_FALSE(dialog.findChild<QWidget*>(QLatin1String(name))->isEnabled()) << name;
        type(dialog, "EditFirstname", "Jane");
        EXPECT_TRUE(dialog.okButton()->isEnabled());
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.EditUser(kJana));
    EXPECT_EQ(env.scalar("SELECT UserFirstName FROM TUser WHERE UserId = 2").toString(), "Jane");
}

TEST(UserRoleDialog, NewRoleCopiesTheRightsOfItsBase) {
    Environment env;
    ASSERT_TRUE(env.administration.load());
    TFormAddEditUserRole dialog(env.context, env.administration);
    int created = 0;
    WhenShown fill(dialog, [&] {
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("EditRoleTitle")), "Night shift");
        auto* base = dialog.findChild<QComboBox*>(QStringLiteral("ComboBoxUserRoles"));
        base->setCurrentIndex(base->findData(kAssetManagers));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(dialog.AddRole(&created));
    // The chosen base reaches the layer, which copies its rights as the procedure does.
    EXPECT_EQ(env.administration.roles.find(created)->rights.of(users::RightKind::Features),
              env.administration.roles.find(kAssetManagers)->rights.of(users::RightKind::Features));
}

TEST(SetOrganisationDialog, SetsTheChosenUsersInTheContainer) {
    Environment env;
    ASSERT_TRUE(env.administration.load());
    TFormSetOrganisation dialog(env.context, env.administration);
    WhenShown fill(dialog, [&] {
        EXPECT_GE(dialog.comboBox()->count(), 2);
        dialog.comboBox()->setEditText("Hollow Ridge Service");
        dialog.accept();
    });
    ASSERT_TRUE(dialog.SetOrganisation({kJana, 3}));
    const std::vector<users::SaveStep> steps = users::PlanSave(env.administration.users);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(env.administration.users.find(3)->Organisation, "Hollow Ridge Service");
}

}  // namespace
