#include "profiles/ApplicationWindows.h"

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "app/TFormSessionLocked.h"
#include "app/TFormStatus.h"
#include "app/TFormXML.h"
#include "app/TOrinADOProgressDialog.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormCatagorySelect.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormManageCategorySet.h"
#include "categorization/TFormRenameCategorySet.h"
#include "categorization/TFormSelectCategorizationType.h"
#include "profiles/TFormRemovePromt.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TFormUtil.h"
#include "profiles/TFormValidation.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"
#include "shadowdata/TFormLockConfirmation.h"
#include "shadowdata/TFormLockShadowData.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "units/TFormEditParkUnit.h"
#include "units/TFormPUProgresser.h"
#include "units/TFormParkUnitConfig.h"
#include "units/TFormSelectParkUnits.h"
#include "units/TformDeselectedUnits.h"
#include "users/TEditUser.h"
#include "users/TFormAddEditUserRole.h"
#include "users/TFormSetOrganisation.h"
#include "users/TFormShowQuery.h"
#include "users/UserAdministration.h"
#include "windsectors/TFormWindExclusionGroup.h"
#include "windsectors/TFormWindExclusionSector.h"
#include "windsectors/TFormWindExclusionSectors.h"

ApplicationWindows::ApplicationWindows(app::AppContext& context_) : context(context_) {
    mainWindow = std::make_unique<TFormSQLProfileAdministrator>(context);
    QWidget* const parent = mainWindow.get();
    categorySelect = std::make_unique<TFormCatagorySelect>(context, parent);
    categoryAllocation = std::make_unique<TFormCatagoryAllocation>(context, parent);
    deratingAllocation = std::make_unique<TFormDeratingCatagoryAllocation>(context, parent);
    renameCategorySet = std::make_unique<TFormRenameCategorySet>(context, parent);
    manageCategorySet = std::make_unique<TFormManageCategorySet>(context, *renameCategorySet, parent);
    categoryDetails =
        std::make_unique<TFormCategoryDetails>(context, *manageCategorySet, *renameCategorySet, parent);
    parkUnitConfig = std::make_unique<TFormParkUnitConfig>(context, parent);
    util = std::make_unique<TFormUtil>(context, parent);
    deselectedUnits = std::make_unique<TformDeselectedUnits>(parent);
    removePrompt = std::make_unique<TFormRemovePromt>(context, parent);
    progresser = std::make_unique<TFormProgresser>(context, parent);
    regenerateShadowData = std::make_unique<TFormRegenerateShadowData>(context, parent);
    validation = std::make_unique<TFormValidation>(context, parent);
    rgsDialog = std::make_unique<TFormRGSDialog>(context, parent);
    puProgresser = std::make_unique<TFormPUProgresser>(context, parent);
    closingWindow = std::make_unique<TFormXML>(context, parent);
    status = std::make_unique<TFormStatus>(context, parent);
    reportMenu = std::make_unique<TFormReportMenu>(context, parent);
    progressDialog = std::make_unique<TOrinADOProgressDialog>(context, parent);
    windSectors = std::make_unique<TFormWindExclusionSectors>(context, parent);
    windSector = std::make_unique<TFormWindExclusionSector>(context, parent);
    windGroup = std::make_unique<TFormWindExclusionGroup>(context, parent);
    windSectors->setDialogs(windGroup.get(), windSector.get());
    editParkUnit = std::make_unique<TFormEditParkUnit>(context, parent);
    exportForm = std::make_unique<TFormExport>(context, parent);
    userAdministration = std::make_unique<users::UserAdministration>(context);
    editUser = std::make_unique<TEditUser>(context, *userAdministration, parent);
    editUserRole = std::make_unique<TFormAddEditUserRole>(context, *userAdministration, parent);
    showQuery = std::make_unique<TFormShowQuery>(context, parent);
    setOrganisation = std::make_unique<TFormSetOrganisation>(context, *userAdministration, parent);
    userAdministration->setQueryLog([query = showQuery.get()](const QString& line) { query->AddLine(line); });
    selectParkUnits = std::make_unique<TFormSelectParkUnits>(context, parent);
    lockShadowData = std::make_unique<TFormLockShadowData>(context, parent);
    lockConfirmation = std::make_unique<TFormLockConfirmation>(context, parent);
    lockShadowData->setConfirmation(lockConfirmation.get());
    categorizationType = std::make_unique<TFormSelectCategorizationType>(context, parent);
    sessionLocked = std::make_unique<TFormSessionLocked>(context, parent);

    context.windows().util = util.get();
    context.windows().status = status.get();
    context.windows().reportMenu = reportMenu.get();
    context.windows().exportForm = exportForm.get();
    context.windows().progress = progressDialog.get();
    if (auto* monitor = context.windows().activity) monitor->setSessionLockedWindow(sessionLocked.get());
    ParkUnitDialogs unitDialogs;
    unitDialogs.selectUnits = selectParkUnits.get();
    unitDialogs.deselectedUnits = deselectedUnits.get();
    unitDialogs.progresser = puProgresser.get();
    unitDialogs.editUnit = editParkUnit.get();
    unitDialogs.startDate = regenerateShadowData.get();
    parkUnitConfig->setDialogs(unitDialogs);
    MainWindowDialogs dialogs;
    dialogs.removePrompt = removePrompt.get();
    dialogs.regenerationPeriod = rgsDialog.get();
    dialogs.progresser = progresser.get();
    dialogs.closingWindow = closingWindow.get();
    dialogs.sessionLocked = sessionLocked.get();
    dialogs.categorizationType = categorizationType.get();
    dialogs.categorySelect = categorySelect.get();
    dialogs.categoryAllocation = categoryAllocation.get();
    dialogs.deratingAllocation = deratingAllocation.get();
    dialogs.categoryDetails = categoryDetails.get();
    dialogs.parkUnitConfig = parkUnitConfig.get();
    dialogs.validation = validation.get();
    dialogs.lockShadowData = lockShadowData.get();
    dialogs.windSectors = windSectors.get();
    mainWindow->setDialogs(dialogs);
}

ApplicationWindows::~ApplicationWindows() {
    // The dialogs are children of the main window: release them before it.
    auto* monitor = context.windows().activity;
    if (monitor) monitor->setSessionLockedWindow(nullptr);
    context.windows().util = nullptr;
    context.windows().status = nullptr;
    context.windows().reportMenu = nullptr;
    context.windows().exportForm = nullptr;
    context.windows().progress = nullptr;
    sessionLocked.reset();
    categorizationType.reset();
    selectParkUnits.reset();
    lockConfirmation.reset();
    lockShadowData.reset();
    setOrganisation.reset();
    showQuery.reset();
    editUserRole.reset();
    editUser.reset();
    userAdministration.reset();
    exportForm.reset();
    editParkUnit.reset();
    windGroup.reset();
    windSector.reset();
    windSectors.reset();
    progressDialog.reset();
    reportMenu.reset();
    status.reset();
    closingWindow.reset();
    puProgresser.reset();
    rgsDialog.reset();
    validation.reset();
    regenerateShadowData.reset();
    progresser.reset();
    removePrompt.reset();
    deselectedUnits.reset();
    util.reset();
    parkUnitConfig.reset();
    categoryDetails.reset();
    manageCategorySet.reset();
    renameCategorySet.reset();
    deratingAllocation.reset();
    categoryAllocation.reset();
    categorySelect.reset();
    mainWindow.reset();
}
