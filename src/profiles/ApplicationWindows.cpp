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
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TFormUtil.h"
#include "profiles/TFormValidation.h"
#include "profiles/TForm_Input.h"
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
#include "users/TFormUserManagement.h"
#include "users/UserAdministration.h"
#include "windsectors/TFormWeibull.h"
#include "windsectors/TFormWindExclusionGroup.h"
#include "windsectors/TFormWindExclusionSector.h"
#include "windsectors/TFormWindExclusionSectors.h"

ApplicationWindows::ApplicationWindows(app::AppContext& context_) : context(context_) {
    mainWindow = std::make_unique<TFormSQLProfileAdministrator>(context);
    QWidget* const parent = mainWindow.get();
    profileInput = decltype(profileInput)([this, parent] {
        auto window = std::make_unique<TForm_Input>(context, parent);
        window->setOptionsDialog(profileOptions.get());
        return window;
    });
    categorySelect = std::make_unique<TFormCatagorySelect>(context, parent);
    categoryAllocation = decltype(categoryAllocation)(
        [this, parent] { return std::make_unique<TFormCatagoryAllocation>(context, parent); });
    deratingAllocation = decltype(deratingAllocation)(
        [this, parent] { return std::make_unique<TFormDeratingCatagoryAllocation>(context, parent); });
    renameCategorySet = decltype(renameCategorySet)(
        [this, parent] { return std::make_unique<TFormRenameCategorySet>(context, parent); });
    manageCategorySet = decltype(manageCategorySet)([this, parent] {
        return std::make_unique<TFormManageCategorySet>(context, *renameCategorySet, parent);
    });
    categoryDetails = decltype(categoryDetails)([this, parent] {
        return std::make_unique<TFormCategoryDetails>(context, *manageCategorySet, *renameCategorySet,
                                                      parent);
    });
    parkUnitConfig = decltype(parkUnitConfig)([this, parent] {
        auto window = std::make_unique<TFormParkUnitConfig>(context, parent);
        ParkUnitDialogs unitDialogs;
        unitDialogs.selectUnits = selectParkUnits.get();
        unitDialogs.deselectedUnits = deselectedUnits.get();
        unitDialogs.progresser = puProgresser.get();
        unitDialogs.editUnit = editParkUnit.get();
        unitDialogs.startDate = regenerateShadowData.get();
        window->setDialogs(unitDialogs);
        return window;
    });
    curveProperties = decltype(curveProperties)(
        [this, parent] { return std::make_unique<TFormCurveProperties>(context, parent); });
    weibull = decltype(weibull)([this, parent] { return std::make_unique<TFormWeibull>(context, parent); });
    normCurve = decltype(normCurve)([this, parent] {
        auto window = std::make_unique<TFormNormCurve>(context, *curveProperties, *weibull, parent);
        // New curves are created behind the wait window.
        window->setCommandRunner([this](const QString& sql, const QString& waitText, QString* error) {
            util->ShowWait(waitText);
            const bool ok = util->RunCommand(sql);
            util->HideWait();
            if (!ok && error) *error = util->lastError();
            return ok;
        });
        return window;
    });
    util = std::make_unique<TFormUtil>(context, parent);
    deselectedUnits =
        decltype(deselectedUnits)([parent] { return std::make_unique<TformDeselectedUnits>(parent); });
    removePrompt = std::make_unique<TFormRemovePromt>(context, parent);
    progresser = std::make_unique<TFormProgresser>(context, parent);
    regenerateShadowData = decltype(regenerateShadowData)(
        [this, parent] { return std::make_unique<TFormRegenerateShadowData>(context, parent); });
    validation =
        decltype(validation)([this, parent] { return std::make_unique<TFormValidation>(context, parent); });
    rgsDialog = std::make_unique<TFormRGSDialog>(context, parent);
    puProgresser = decltype(puProgresser)(
        [this, parent] { return std::make_unique<TFormPUProgresser>(context, parent); });
    freeWindParameters = decltype(freeWindParameters)(
        [this, parent] { return std::make_unique<TForm_FWP_Parameters>(context, parent); });
    freeWindTable = decltype(freeWindTable)(
        [this, parent] { return std::make_unique<TFormFWPTable>(context, *freeWindParameters, parent); });
    closingWindow = std::make_unique<TFormXML>(context, parent);
    status = std::make_unique<TFormStatus>(context, parent);
    reportMenu = std::make_unique<TFormReportMenu>(context, parent);
    progressDialog = std::make_unique<TOrinADOProgressDialog>(context, parent);
    windSector = decltype(windSector)(
        [this, parent] { return std::make_unique<TFormWindExclusionSector>(context, parent); });
    windGroup = decltype(windGroup)(
        [this, parent] { return std::make_unique<TFormWindExclusionGroup>(context, parent); });
    windSectors = decltype(windSectors)([this, parent] {
        auto window = std::make_unique<TFormWindExclusionSectors>(context, parent);
        window->setDialogs(windGroup.get(), windSector.get());
        return window;
    });
    editParkUnit = decltype(editParkUnit)(
        [this, parent] { return std::make_unique<TFormEditParkUnit>(context, parent); });
    exportForm = std::make_unique<TFormExport>(context, parent);
    reMapCategory = std::make_unique<TFormReMapCategory>(context, parent);
    mapCategory = std::make_unique<TFormMapCategory>(context, parent);
    userAdministration = std::make_unique<users::UserAdministration>(context);
    editUser = decltype(editUser)(
        [this, parent] { return std::make_unique<TEditUser>(context, *userAdministration, parent); });
    editUserRole = decltype(editUserRole)([this, parent] {
        return std::make_unique<TFormAddEditUserRole>(context, *userAdministration, parent);
    });
    showQuery =
        decltype(showQuery)([this, parent] { return std::make_unique<TFormShowQuery>(context, parent); });
    setOrganisation = decltype(setOrganisation)([this, parent] {
        return std::make_unique<TFormSetOrganisation>(context, *userAdministration, parent);
    });
    objectExportImport = decltype(objectExportImport)([this, parent] {
        return std::make_unique<TFormObjectExportImport>(context, *userAdministration, parent);
    });
    userManagement = decltype(userManagement)([this, parent] {
        auto window = std::make_unique<TFormUserManagement>(context, *userAdministration, parent);
        window->setDialogs({editUser.get(), editUserRole.get(), setOrganisation.get(), showQuery.get(),
                            [wizard = objectExportImport](bool import) {
                                return wizard->Execute(import ? TFormObjectExportImport::Mode::Import
                                                              : TFormObjectExportImport::Mode::Export);
                            }});
        return window;
    });
    userAdministration->setQueryLog([query = showQuery](const QString& line) {
        if (TFormShowQuery* window = query.get()) window->AddLine(line);
    });
    selectParkUnits = decltype(selectParkUnits)(
        [this, parent] { return std::make_unique<TFormSelectParkUnits>(context, parent); });
    lockConfirmation = decltype(lockConfirmation)(
        [this, parent] { return std::make_unique<TFormLockConfirmation>(context, parent); });
    lockShadowData = decltype(lockShadowData)([this, parent] {
        auto window = std::make_unique<TFormLockShadowData>(context, parent);
        window->setConfirmation(lockConfirmation.get());
        return window;
    });
    contractConfiguration = decltype(contractConfiguration)(
        [this, parent] { return std::make_unique<TFormContractConfiguration>(context, parent); });
    profileOptions = decltype(profileOptions)(
        [this, parent] { return std::make_unique<TFormNonStandardContractConfiguration>(context, parent); });
    categorizationType = std::make_unique<TFormSelectCategorizationType>(context, parent);
    sessionLocked = std::make_unique<TFormSessionLocked>(context, parent);

    context.windows().util = util.get();
    context.windows().status = status.get();
    context.windows().reportMenu = reportMenu.get();
    context.windows().exportForm = exportForm.get();
    context.windows().progress = progressDialog.get();
    categoryAllocation.whenMade([this](TFormCatagoryAllocation& window) {
        window.setMappingDialogs(mapCategory.get(), reMapCategory.get());
    });
    deratingAllocation.whenMade([this](TFormDeratingCatagoryAllocation& window) {
        window.setMappingDialogs(mapCategory.get(), reMapCategory.get());
    });
    if (auto* monitor = context.windows().activity) monitor->setSessionLockedWindow(sessionLocked.get());
    MainWindowDialogs dialogs;
    dialogs.removePrompt = removePrompt.get();
    dialogs.regenerationPeriod = rgsDialog.get();
    dialogs.progresser = progresser.get();
    dialogs.closingWindow = closingWindow.get();
    dialogs.sessionLocked = sessionLocked.get();
    dialogs.categorizationType = categorizationType.get();
    dialogs.categorySelect = categorySelect.get();
    dialogs.categoryAllocation = categoryAllocation;
    dialogs.deratingAllocation = deratingAllocation;
    dialogs.categoryDetails = categoryDetails;
    dialogs.parkUnitConfig = parkUnitConfig;
    dialogs.validation = validation;
    dialogs.lockShadowData = lockShadowData;
    dialogs.profileInput = profileInput;
    dialogs.unitProgresser = puProgresser;
    dialogs.contractConfiguration = contractConfiguration;
    dialogs.normCurve = normCurve;
    dialogs.freeWind = freeWindTable;
    dialogs.userManagement = userManagement;
    dialogs.windSectors = windSectors;
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
    profileOptions.release();
    contractConfiguration.release();
    selectParkUnits.release();
    lockConfirmation.release();
    lockShadowData.release();
    objectExportImport.release();
    setOrganisation.release();
    showQuery.release();
    editUserRole.release();
    editUser.release();
    userManagement.release();
    userAdministration.reset();
    if (auto* window = categoryAllocation.ifMade()) window->setMappingDialogs(nullptr, nullptr);
    if (auto* window = deratingAllocation.ifMade()) window->setMappingDialogs(nullptr, nullptr);
    mapCategory.reset();
    reMapCategory.reset();
    exportForm.reset();
    editParkUnit.release();
    windSectors.release();
    windGroup.release();
    windSector.release();
    progressDialog.reset();
    reportMenu.reset();
    status.reset();
    closingWindow.reset();
    puProgresser.release();
    freeWindTable.release();
    freeWindParameters.release();
    rgsDialog.reset();
    validation.release();
    regenerateShadowData.release();
    progresser.reset();
    removePrompt.reset();
    deselectedUnits.release();
    util.reset();
    normCurve.release();
    weibull.release();
    curveProperties.release();
    parkUnitConfig.release();
    categoryDetails.release();
    manageCategorySet.release();
    renameCategorySet.release();
    deratingAllocation.release();
    categoryAllocation.release();
    categorySelect.reset();
    profileInput.release();
    mainWindow.reset();
}
