// Every window of the program, made and opened as the program does, with the
// installation's UK texts loaded as at start-up, walked widget by widget: no
// text a user can see is a missing-text placeholder "(n): 'file'", and every
// control a user can act on has an accessible name.

#include "MainWindowFixture.h"

#include "app/TFormSessionLocked.h"
#include "app/TFormStatus.h"
#include "app/TFormXML.h"
#include "app/TOrinADOProgressDialog.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormCatagorySelect.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormManageCategorySet.h"
#include "categorization/TFormMapCategory.h"
#include "categorization/TFormReMapCategory.h"
#include "categorization/TFormRenameCategorySet.h"
#include "categorization/TFormSelectCategorizationType.h"
#include "contracts/TFormContractConfiguration.h"
#include "contracts/TFormNonStandardContractConfiguration.h"
#include "curves/TFormCurveProperties.h"
#include "curves/TFormFWPTable.h"
#include "curves/TFormNormCurve.h"
#include "curves/TForm_FWP_Parameters.h"
#include "exchange/TFormObjectExportImport.h"
#include "profiles/TFormRemovePromt.h"
#include "profiles/TFormUtil.h"
#include "profiles/TFormValidation.h"
#include "profiles/TForm_Input.h"
#include "reports/ReportJobs.h"
#include "reports/TFormExport.h"
#include "shadowdata/TFormLockConfirmation.h"
#include "shadowdata/TFormLockShadowData.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "support/WhenShown.h"
#include "ui/CommandLink.h"
#include "ui/Waiting.h"
#include "units/TFormEditParkUnit.h"
#include "units/TFormPUProgresser.h"
#include "units/TFormParkUnitConfig.h"
#include "units/TFormSelectParkUnits.h"
#include "units/TformDeselectedUnits.h"
#include "users/TEditUser.h"
#include "users/TFormAddEditUserRole.h"
#include "users/TFormSetOrganisation.h"
#include "users/TFormShowQuery.h"
#include "users/TFormUserManagement.h"
#include "users/UserAdministration.h"
#include "windsectors/TFormWeibull.h"
#include "windsectors/TFormWindExclusionGroup.h"
#include "windsectors/TFormWindExclusionSector.h"
#include "windsectors/TFormWindExclusionSectors.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <QTextEdit>
#include <set>

using namespace testing_support;

namespace {

struct Findings {
    std::set<QWidget*> visited;
    std::vector<std::string> placeholders;
    std::set<std::string> unnamed;
};

std::string nameOf(const QObject* object) {
    return (object->objectName().isEmpty() ? QString::fromLatin1(object->metaObject()->className())
                                           : object->objectName())
        .toStdString();
}

// Parts of a compound control (the line edit of a spin box, the buttons of a
// calendar, a view's scroll bars) are named through the control.
bool isPartOfAControl(QWidget* widget, QWidget* window) {
    if (widget->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<QScrollBar*>(widget))
        return true;
    for (QWidget* parent = widget->parentWidget(); parent && parent != window;
         parent = parent->parentWidget())
        if (qobject_cast<QAbstractSpinBox*>(parent) || qobject_cast<QComboBox*>(parent) ||
            qobject_cast<QAbstractItemView*>(parent) || qobject_cast<QTabBar*>(parent) ||
            qobject_cast<QCalendarWidget*>(parent) || parent->objectName().startsWith(QLatin1String("qt_")))
            return true;
    return false;
}

bool actsOnInput(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return !edit->isReadOnly();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) return !edit->isReadOnly();
    if (auto* edit = qobject_cast<QTextEdit*>(widget)) return !edit->isReadOnly();
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractSpinBox*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractSlider*>(widget) ||
           qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QTabBar*>(widget) ||
           qobject_cast<ui::ClickableLabel*>(widget);
}

// The texts a user can come to see on a widget.
QStringList textsOf(QWidget* widget) {
    QStringList texts = {widget->toolTip(), widget->statusTip(), widget->whatsThis(),
                         widget->accessibleName(), widget->accessibleDescription()};
    if (widget->isWindow()) texts << widget->windowTitle();
    if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) texts << edit->text() << edit->placeholderText();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    if (auto* tabs = qobject_cast<QTabBar*>(widget))
        for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i) << tabs->tabToolTip(i);
    if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
        const QAbstractItemModel& model = *view->model();
        for (int column = 0; column < model.columnCount(); ++column)
            texts << model.headerData(column, Qt::Horizontal).toString()
                  << model.headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString();
        // Lists of choices are short; grids over data sets hold data, not texts.
        if (qobject_cast<QListWidget*>(widget))
            for (int row = 0; row < model.rowCount(); ++row) texts << model.index(row, 0).data().toString();
    }
    for (const QAction* action : widget->actions()) texts << action->text() << action->toolTip();
    return texts;
}

// Walks an open window and everything in it.
void walk(QWidget& window, Findings& findings) {
    findings.visited.insert(&window);
    static const QRegularExpression placeholder(QStringLiteral("\\(\\d+\\): '"));
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        if (widget != &window && widget->window() != &window) continue;  // another window
        for (const QString& text : textsOf(widget))
            if (text.contains(placeholder))
                findings.placeholders.push_back(nameOf(&window) + "/" + nameOf(widget) + ": " +
                                                text.toStdString());
        if (widget == &window || !widget->isVisible() || !widget->isEnabled() || !actsOnInput(widget) ||
            isPartOfAControl(widget, &window))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            findings.unnamed.insert(nameOf(&window) + "/" + nameOf(widget->parentWidget()) + "/" +
                                    nameOf(widget));
    }
}

}  // namespace

TEST(WindowTexts, EveryWindowShowsItsTextsAndNamesItsControls) {
    MainWindowFixture f;
    ApplicationWindows& w = f.windows;
    Findings findings;
    const auto visit = [&findings](QWidget& window) { walk(window, findings); };
    // Answers a modal window once it is open (and `ready`): walks it and closes it.
    const auto walkAndReject = [&](QDialog& dialog, std::function<bool()> ready = {}) {
        return std::make_unique<WhenShown>(
            dialog,
            [&] {
                visit(dialog);
                dialog.reject();
            },
            std::move(ready));
    };
    bool loaded = false;
    const auto waitLoaded = [&loaded] { return ui::waitUntil([&loaded] { return loaded; }, 10, 20000); };
    const auto onLoaded = [&loaded](bool ok) { loaded = ok; };

    // The main window starts itself when it is first shown.
    f.window.show();
    ASSERT_TRUE(ui::waitUntil([&] { return f.window.isStarted(); }, 10, 20000));
    ASSERT_TRUE(f.select(kPhase2));
    visit(f.window);

    w.util->ShowWait(QStringLiteral("Reading profiles..."));
    visit(*w.util);
    w.util->HideWait();

    w.status->StartStatusDialog(1, QStringLiteral("Working"), true);
    visit(*w.status);
    w.status->StopStatusDialog();

    ASSERT_TRUE(
        w.progressDialog->Start(TOrinADOProgressDialog::LayoutBatch, 0, f.database.connectionString(), 2));
    visit(*w.progressDialog);
    w.progressDialog->CleanUp();

    w.rgsDialog->Prepare(f.window.currentProfile().Title);
    w.rgsDialog->show();
    visit(*w.rgsDialog);
    w.rgsDialog->reject();

    // Running, then finished.
    w.progresser->setRegeneration(kPhase2, QStringLiteral("period"), nullptr, {});
    w.progresser->show();
    visit(*w.progresser);
    w.progresser->TimerTimer();
    visit(*w.progresser);
    w.progresser->reject();

    w.regenerateShadowData->Prepare();
    w.regenerateShadowData->show();
    visit(*w.regenerateShadowData);
    w.regenerateShadowData->ButtonOKClick();

    {
        auto answer = walkAndReject(*w.removePrompt);
        w.removePrompt->ask();
        auto type = walkAndReject(*w.categorizationType);
        w.categorizationType->Execute();
        auto rename = walkAndReject(*w.renameCategorySet);
        w.renameCategorySet->ask(QStringLiteral("Title"), QStringLiteral("Set"));
        auto manage = walkAndReject(*w.manageCategorySet);
        std::vector<categorization::CategorySetOrderEntry> sets = {{1, 3, 1, true, "First"},
                                                                   {2, 0, 2, false, "Second"}};
        w.manageCategorySet->Execute(sets);
        WhenShown locked(*w.sessionLocked, [&] {
            visit(*w.sessionLocked);
            w.sessionLocked->closeLocked();
        });
        w.sessionLocked->showLocked();
        EXPECT_TRUE(answer->fired() && type->fired() && rename->fired() && manage->fired() && locked.fired());
    }

    QObject::connect(w.deratingAllocation.get(), &categorization::CategoryAllocationWindow::loaded, onLoaded);
    w.deratingAllocation->Prepare(f.window.categorizationProfile(), {});
    w.deratingAllocation->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.deratingAllocation);
    w.deratingAllocation->hide();

    // The event allocation works on the category set and event list chosen.
    ASSERT_TRUE(f.select(kExportProfile));
    WhenShown choose(*w.categorySelect, [&] {
        visit(*w.categorySelect);
        w.categorySelect->findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
    });
    ASSERT_TRUE(w.categorySelect->Select(kExportProfile));
    loaded = false;
    QObject::connect(w.categoryAllocation.get(), &categorization::CategoryAllocationWindow::loaded, onLoaded);
    w.categoryAllocation->Prepare(f.window.categorizationProfile(), w.categorySelect->selection(), {});
    w.categoryAllocation->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.categoryAllocation);
    {
        auto map = walkAndReject(*w.mapCategory);
        w.mapCategory->Execute(w.categoryAllocation->grid(), TFormMapCategory::kModeEvents, false, {});
        auto reMap = walkAndReject(*w.reMapCategory);
        std::vector<categorization::AllocationFileCategory> unknown{{9, QStringLiteral("Gone")}};
        w.reMapCategory->Execute(unknown, {{1, QStringLiteral("Normal Operation")}});
        EXPECT_TRUE(map->fired() && reMap->fired());
    }
    w.categoryAllocation->hide();

    loaded = false;
    QObject::connect(w.categoryDetails.get(), &TFormCategoryDetails::loaded, onLoaded);
    w.categoryDetails->Prepare(f.window.categorizationProfile(), {});
    w.categoryDetails->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.categoryDetails);
    w.categoryDetails->hide();

    // The park unit configuration with its record view and the unit selection.
    loaded = false;
    QObject::connect(w.parkUnitConfig.get(), &TFormParkUnitConfig::loaded, onLoaded);
    w.parkUnitConfig->Prepare(f.window.currentProfile().ProfileId, f.window.currentProfile().Title, false);
    w.parkUnitConfig->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.parkUnitConfig);
    w.parkUnitConfig->ButtonEditClick();
    visit(*w.editParkUnit);
    w.editParkUnit->hide();
    w.puProgresser->Start();
    visit(*w.puProgresser);
    w.puProgresser->Stop();
    ASSERT_TRUE(w.parkUnitConfig->PrepareSelection(units::StartMode::Available));
    {
        auto select = walkAndReject(*w.selectParkUnits);
        w.selectParkUnits->Execute();
        auto confirm = walkAndReject(*w.deselectedUnits);
        w.deselectedUnits->Execute({QStringLiteral("WTG01")});
        EXPECT_TRUE(select->fired() && confirm->fired());
    }
    w.parkUnitConfig->hide();
    // The validation editor loads as it is shown.
    w.validation->Prepare();
    w.validation->show();
    visit(*w.validation);
    w.validation->hide();

    // The reference curves and the free wind parameter sets with their dialogs.
    loaded = false;
    QObject::connect(w.normCurve.get(), &TFormNormCurve::loaded, onLoaded);
    w.normCurve->Prepare();
    w.normCurve->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.normCurve);
    w.normCurve->hide();
    loaded = false;
    QObject::connect(w.freeWindTable.get(), &TFormFWPTable::loaded, onLoaded);
    w.freeWindTable->Prepare();
    w.freeWindTable->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.freeWindTable);
    w.freeWindTable->hide();
    {
        auto properties = walkAndReject(*w.curveProperties);
        w.curveProperties->Execute({}, true);
        auto weibull = walkAndReject(*w.weibull);
        w.weibull->Execute();
        auto parameters = walkAndReject(*w.freeWindParameters);
        w.freeWindParameters->Execute(TForm_FWP_Parameters::newSet());
        EXPECT_TRUE(properties->fired() && weibull->fired() && parameters->fired());
    }

    loaded = false;
    QObject::connect(w.windSectors.get(), &TFormWindExclusionSectors::loaded, onLoaded);
    w.windSectors->Prepare();
    w.windSectors->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.windSectors);
    {
        auto group = walkAndReject(*w.windGroup);
        w.windGroup->ask(QStringLiteral("Group"));
        auto sector = walkAndReject(*w.windSector);
        w.windSector->Execute({});
        EXPECT_TRUE(group->fired() && sector->fired());
    }
    w.windSectors->hide();

    loaded = false;
    QObject::connect(w.lockShadowData.get(), &TFormLockShadowData::loaded, onLoaded);
    w.lockShadowData->Prepare(kPhase2);
    w.lockShadowData->show();
    ASSERT_TRUE(waitLoaded());
    visit(*w.lockShadowData);
    w.lockShadowData->hide();

    const QDateTime now = QDateTime::currentDateTime();
    w.lockConfirmation->Prepare(true, true, now, now.addDays(1));
    w.lockConfirmation->show();
    visit(*w.lockConfirmation);
    w.lockConfirmation->hide();

    {
        // The profile dialog opens its options; every option is offered.
        WhenShown options(*w.profileOptions, [&] {
            visit(*w.profileOptions);
            w.profileOptions->reject();
        });
        WhenShown input(*w.profileInput, [&] {
            visit(*w.profileInput);
            w.profileInput->ButtonNonStandardClick();
            w.profileInput->reject();
        });
        w.profileInput->ExecuteCreate(true);
        EXPECT_TRUE(input.fired() && options.fired());
        loaded = false;
        QObject::connect(w.contractConfiguration.get(), &TFormContractConfiguration::loaded, onLoaded);
        auto contracts = walkAndReject(*w.contractConfiguration, [&loaded] { return loaded; });
        w.contractConfiguration->Execute();
        EXPECT_TRUE(contracts->fired());
    }

    bool checked = false;
    QObject::connect(w.reportMenu.get(), &TFormReportMenu::printerChecked, [&checked] { checked = true; });
    w.reportMenu->Prepare(
        reports::dataSetReport(f.window.profileList(), &f.window, {reports::applicationTitle()}));
    w.reportMenu->show();
    ASSERT_TRUE(ui::waitUntil([&checked] { return checked; }, 10, 20000));
    visit(*w.reportMenu);
    w.reportMenu->hide();

    w.exportForm->Prepare(QStringLiteral("Category allocation.xlsx"));
    w.exportForm->show();
    visit(*w.exportForm);
    w.exportForm->hide();

    ASSERT_TRUE(w.userAdministration->load());
    {
        const int userId = w.userAdministration->users.items.begin()->first;
        auto user = walkAndReject(*w.editUser);
        w.editUser->EditUser(userId);
        auto role = walkAndReject(*w.editUserRole);
        w.editUserRole->AddRole();
        auto organisation = walkAndReject(*w.setOrganisation);
        w.setOrganisation->SetOrganisation({userId});
        EXPECT_TRUE(user->fired() && role->fired() && organisation->fired());
    }
    w.showQuery->show();
    visit(*w.showQuery);
    w.showQuery->hide();
    for (auto mode : {TFormObjectExportImport::Mode::Export, TFormObjectExportImport::Mode::Import}) {
        w.objectExportImport->Prepare(mode);
        w.objectExportImport->show();
        visit(*w.objectExportImport);
        w.objectExportImport->hide();
    }

    bool usersLoaded = false;
    QObject::connect(w.userManagement.get(), &TFormUserManagement::loaded,
                     [&usersLoaded](bool ok) { usersLoaded = ok; });
    w.userManagement->setSettingsFile(f.database.folder() + QStringLiteral("/UserManagement.ini"));
    w.userManagement->Prepare(f.context.session().UserId);
    w.userManagement->show();
    ASSERT_TRUE(ui::waitUntil([&usersLoaded] { return usersLoaded; }, 10, 20000));
    for (users::Grid grid :
         {users::Grid::UserDetails, users::Grid::UserTemplates, users::Grid::RoleTemplates}) {
        w.userManagement->showGrid(grid);
        visit(*w.userManagement);
    }
    w.userManagement->reject();

    // Last: its count-down would close the main window.
    w.closingWindow->StartClosing();
    w.closingWindow->TimerCloseTimer();
    visit(*w.closingWindow);
    w.closingWindow->hide();

    // A window the program makes but the sweep does not open fails here.
    for (QDialog* window : f.window.findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(findings.visited.count(window)) << nameOf(window) << " was not walked";

    for (const std::string& found : findings.placeholders) ADD_FAILURE() << "missing text: " << found;
    for (const std::string& control : findings.unnamed) ADD_FAILURE() << control << " has no accessible name";
}
