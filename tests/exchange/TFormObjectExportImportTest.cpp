// The wizard worked through its view: users exported from one demo
// database and imported into another, with an unreadable file first, a
// refused creation and conflicts answered Yes and No.

#include "exchange/TFormObjectExportImport.h"
#include "ui/DataSetModel.h"
#include "users/UsersTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace users_test;
using Wizard = TFormObjectExportImport;
using exchange::WizardPage;

namespace {

constexpr int kFeature = 120;

struct Row {
    const char* field;
    QString value;
};

int rowOf(Wizard& wizard, Wizard::Grid grid, const Row& row) {
    db::DataSet& set = wizard.rows(grid);
    for (int n = 0; n < set.recordCount(); ++n)
        if (set.valueAt(n, set.fieldIndex(QLatin1String(row.field))).toString() == row.value) return n;
    return -1;
}

void click(Wizard& wizard, Wizard::Grid grid, const Row& row, const char* column) {
    QTableView* view = wizard.view(grid);
    auto* model = static_cast<ui::DataSetModel*>(view->model());
    const QModelIndex index = model->index(rowOf(wizard, grid, row), model->columnOf(QLatin1String(column)));
    ASSERT_TRUE(index.isValid()) << row.value.toStdString() << " " << column;
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

void next(Wizard& wizard) { wizard.findChild<QPushButton*>(QStringLiteral("ButtonNext"))->click(); }
void back(Wizard& wizard) { wizard.findChild<QPushButton*>(QStringLiteral("ButtonBack"))->click(); }
QLineEdit* edit(Wizard& wizard, const char* name) {
    return wizard.findChild<QLineEdit*>(QLatin1String(name));
}

// A roles package into `target`: the new role is created without rights and
// takes them through the questions.
void importNewRole(Environment& target) {
    const int templateId =
        target.scalar(QStringLiteral("SELECT min(ReportTemplateId) FROM TReportTemplate")).toInt();
    users::UserRole role;
    role.RoleId = 77;
    role.Title = QStringLiteral("Night shift");
    role.AccessLevelId = 2;
    role.rights.of(users::RightKind::Features) = {kFeature};
    role.rights.of(users::RightKind::ReportTemplates) = {templateId};
    exchange::PackageHeader header;
    header.type = int(exchange::PackageType::Roles);
    const QString path = target.database.folder() + QStringLiteral("/roles.XML");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(exchange::WritePackage(header, QStringLiteral("UserRole"), {exchange::RolePlainText(role)},
                                      exchange::KeyKind::Short));
    file.close();

    Wizard importer(target.context, target.administration);
    importer.Prepare(Wizard::Mode::Import);
    importer.show();
    edit(importer, "EditImportFile")->setText(path);
    next(importer);
    ASSERT_EQ(importer.page(), WizardPage::ImportStep3);  // a roles package has no users page
    back(importer);
    EXPECT_EQ(importer.page(), WizardPage::ImportStep1);
    next(importer);
    next(importer);
    ASSERT_EQ(importer.page(), WizardPage::ImportStep4);
    ASSERT_EQ(importer.rows(Wizard::Conflicts).recordCount(), 2);  // features and templates
    importer.view(Wizard::Conflicts)->selectAll();
    importer.view(Wizard::Conflicts)->findChild<QAction*>(QStringLiteral("ActionYes"))->trigger();
    next(importer);
    EXPECT_EQ(importer.findChild<QLabel*>(QStringLiteral("LabelResult"))->text(),
              target.context.texts().window(446));
    const int id =
        target.scalar(QStringLiteral("SELECT RoleId FROM TUserRole WHERE Title = 'Night shift'")).toInt();
    EXPECT_EQ(
        target.scalar(QStringLiteral("SELECT count(*) FROM TUserRole_TFeature WHERE RoleId = %1").arg(id))
            .toInt(),
        1);
    EXPECT_EQ(
        target
            .scalar(
                QStringLiteral("SELECT count(*) FROM TUserRole_TReportTemplate WHERE RoleId = %1").arg(id))
            .toInt(),
        1);
}

TEST(ObjectExportImportWizard, ExportsFromOneDatabaseAndImportsUsersAndRolesIntoAnother) {
    Environment source;
    ASSERT_TRUE(source.administration.load());
    const int templateId =
        source.scalar(QStringLiteral("SELECT min(ReportTemplateId) FROM TReportTemplate")).toInt();
    for (const char* initials : {"ZQ", "ZR"}) {
        users::User user;
        user.Initials = QLatin1String(initials);
        user.FirstName = QStringLiteral("Zoë \"Z\"");
        ASSERT_TRUE(source.administration.createUser(user, QString(), {kAssetManagers}));
        users::Difference rights;
        rights.added[size_t(users::RightKind::Features)] = {kFeature};
        rights.added[size_t(users::RightKind::ReportTemplates)] = {templateId};
        ASSERT_TRUE(source.administration.relate(users::Subject::Users, user.UserId, rights));
    }
    source.scalar(QStringLiteral("UPDATE TUser SET UserFirstName = 'Janine' WHERE UserId = %1").arg(kJana));
    ASSERT_TRUE(source.administration.load());

    Wizard exporter(source.context, source.administration);
    exporter.Prepare(Wizard::Mode::Export);
    exporter.show();
    edit(exporter, "EditTitle")->setText(QStringLiteral("Hand-over"));
    // A folder that does not exist: the write fails and the page stays.
    edit(exporter, "EditFileName")->setText(source.database.folder() + QStringLiteral("/none/users.XML"));
    next(exporter);
    ASSERT_EQ(exporter.page(), WizardPage::ExportStep2);
    for (const char* initials : {"ZQ", "ZR", "JDO"})
        click(exporter, Wizard::ExportUsers, {"Initials", QLatin1String(initials)}, "Selected");
    next(exporter);
    EXPECT_EQ(exporter.page(), WizardPage::ExportStep2);
    EXPECT_EQ(source.prompts.take().size(), 1u);
    back(exporter);
    edit(exporter, "EditFileName")->setText(source.database.folder() + QStringLiteral("/users.backup.txt"));
    next(exporter);
    next(exporter);
    ASSERT_EQ(exporter.page(), WizardPage::ExportStep4);
    const QString package = source.database.folder() + QStringLiteral("/users.backup.XML");
    ASSERT_TRUE(QFile::exists(package));

    FailingUserCalls calls;
    Environment target(QStringLiteral("3.28.0.0"), calls.registry);
    ASSERT_TRUE(target.administration.load());
    Wizard importer(target.context, target.administration);
    importer.Prepare(Wizard::Mode::Import);
    importer.show();
    const QString garbage = target.database.folder() + QStringLiteral("/garbage.XML");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<ExportPackage Title=");
    file.close();
    edit(importer, "EditImportFile")->setText(garbage);
    next(importer);
    EXPECT_EQ(importer.page(), WizardPage::ImportStep1);
    EXPECT_EQ(target.prompts.take().size(), 1u);

    edit(importer, "EditImportFile")->setText(package);
    next(importer);
    ASSERT_EQ(importer.page(), WizardPage::ImportStep2);
    back(importer);
    EXPECT_EQ(importer.page(), WizardPage::ImportStep1);
    EXPECT_EQ(edit(importer, "EditImportTitle")->text(), QStringLiteral("Hand-over"));
    next(importer);
    ASSERT_EQ(importer.rows(Wizard::ImportUsers).recordCount(), 3);
    calls.user.failNext();  // the CREATE of ZQ
    next(importer);         // no roles in the package: the import runs at once
    ASSERT_EQ(importer.page(), WizardPage::ImportStep4);
    // JDO's first name and ZR's role membership are asked about.
    ASSERT_EQ(importer.rows(Wizard::Conflicts).recordCount(), 2);
    click(importer, Wizard::Conflicts, {"Title", QStringLiteral("JDO")}, "Yes");
    click(importer, Wizard::Conflicts, {"Title", QStringLiteral("ZR")}, "Yes");
    click(importer, Wizard::Conflicts, {"Title", QStringLiteral("ZR")}, "No");
    next(importer);
    ASSERT_EQ(importer.page(), WizardPage::ImportStep5);
    EXPECT_EQ(importer.findChild<QLabel*>(QStringLiteral("LabelResult"))->text(),
              target.context.texts().window(447));
    EXPECT_EQ(rowOf(importer, Wizard::Process, {"Status", QStringLiteral("0")}),
              rowOf(importer, Wizard::Process, {"Title", QStringLiteral("ZQ")}));

    const auto count = [&](const QString& sql) { return target.scalar(sql).toInt(); };
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM TUser WHERE UserInitials = 'ZQ'")), 0);
    const int zr = count(QStringLiteral("SELECT UserId FROM TUser WHERE UserInitials = 'ZR'"));
    ASSERT_GT(zr, 0);
    EXPECT_EQ(
        target.scalar(QStringLiteral("SELECT UserFirstName FROM TUser WHERE UserId = %1").arg(zr)).toString(),
        QStringLiteral("Zoë \"Z\""));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM TUser_TFeature WHERE UserId = %1 AND FeatureId = %2")
                        .arg(zr)
                        .arg(kFeature)),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM TUser_TReportTemplate WHERE UserId = %1").arg(zr)),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM TUserRole_TUser WHERE UserId = %1").arg(zr)), 0);
    EXPECT_EQ(target.scalar(QStringLiteral("SELECT UserFirstName FROM TUser WHERE UserId = %1").arg(kJana))
                  .toString(),
              QStringLiteral("Janine"));
    next(importer);
    EXPECT_FALSE(importer.isVisible());

    importNewRole(target);
}

}  // namespace
