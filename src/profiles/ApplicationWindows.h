#pragma once
// Every window of the program, created once in the fixed order (the main
// window first), registered with the context and handed to the main window,
// and released in reverse order. The program and the screenshot tool share it.
// The windows that take long to build are made on their first use instead.

#include "ui/OnFirstUse.h"

#include <memory>

namespace app {
class AppContext;
}

class TFormSQLProfileAdministrator;
class TFormUtil;
class TFormRemovePromt;
class TFormProgresser;
class TFormRegenerateShadowData;
class TFormRGSDialog;
class TFormValidation;
class TFormLockShadowData;
class TFormLockConfirmation;
class TFormXML;
class TFormStatus;
class TOrinADOProgressDialog;
class TFormSessionLocked;
class TFormCategoryDetails;
class TFormManageCategorySet;
class TFormRenameCategorySet;
class TFormCatagorySelect;
class TFormCatagoryAllocation;
class TFormDeratingCatagoryAllocation;
class TFormSelectCategorizationType;
class TFormReportMenu;
class TFormExport;
class TFormParkUnitConfig;
class TformDeselectedUnits;
class TFormPUProgresser;
class TFormEditParkUnit;
class TFormSelectParkUnits;
class TEditUser;
class TFormAddEditUserRole;
class TFormShowQuery;
class TFormSetOrganisation;
class TForm_Input;
class TFormContractConfiguration;
class TFormNonStandardContractConfiguration;
class TFormCurveProperties;
class TFormWeibull;
class TFormNormCurve;
class TFormFWPTable;
class TForm_FWP_Parameters;
class TFormUserManagement;
class TFormObjectExportImport;
class TFormWindExclusionSectors;
class TFormWindExclusionSector;
class TFormWindExclusionGroup;

namespace users {
class UserAdministration;
}
class TFormReMapCategory;
class TFormMapCategory;

struct ApplicationWindows {
    explicit ApplicationWindows(app::AppContext& context);
    ~ApplicationWindows();
    ApplicationWindows(const ApplicationWindows&) = delete;
    ApplicationWindows& operator=(const ApplicationWindows&) = delete;

    app::AppContext& context;
    std::unique_ptr<TFormSQLProfileAdministrator> mainWindow;
    ui::OnFirstUse<TForm_Input> profileInput;
    std::unique_ptr<TFormCatagorySelect> categorySelect;
    ui::OnFirstUse<TFormCatagoryAllocation> categoryAllocation;
    ui::OnFirstUse<TFormDeratingCatagoryAllocation> deratingAllocation;
    // The category configuration holds its two dialogs from the start, so
    // making it makes them.
    ui::OnFirstUse<TFormRenameCategorySet> renameCategorySet;
    ui::OnFirstUse<TFormManageCategorySet> manageCategorySet;
    ui::OnFirstUse<TFormCategoryDetails> categoryDetails;
    ui::OnFirstUse<TFormParkUnitConfig> parkUnitConfig;
    ui::OnFirstUse<TFormCurveProperties> curveProperties;
    ui::OnFirstUse<TFormWeibull> weibull;
    ui::OnFirstUse<TFormNormCurve> normCurve;
    std::unique_ptr<TFormUtil> util;
    ui::OnFirstUse<TformDeselectedUnits> deselectedUnits;
    std::unique_ptr<TFormRemovePromt> removePrompt;
    std::unique_ptr<TFormProgresser> progresser;
    ui::OnFirstUse<TFormRegenerateShadowData> regenerateShadowData;
    ui::OnFirstUse<TFormValidation> validation;
    std::unique_ptr<TFormRGSDialog> rgsDialog;
    ui::OnFirstUse<TForm_FWP_Parameters> freeWindParameters;
    ui::OnFirstUse<TFormFWPTable> freeWindTable;
    ui::OnFirstUse<TFormPUProgresser> puProgresser;
    std::unique_ptr<TFormXML> closingWindow;
    std::unique_ptr<TFormStatus> status;
    std::unique_ptr<TFormReportMenu> reportMenu;
    std::unique_ptr<TOrinADOProgressDialog> progressDialog;
    ui::OnFirstUse<TFormWindExclusionSectors> windSectors;
    ui::OnFirstUse<TFormWindExclusionSector> windSector;
    ui::OnFirstUse<TFormWindExclusionGroup> windGroup;
    ui::OnFirstUse<TFormEditParkUnit> editParkUnit;
    std::unique_ptr<TFormExport> exportForm;
    ui::OnFirstUse<TFormSelectParkUnits> selectParkUnits;
    ui::OnFirstUse<TFormLockShadowData> lockShadowData;
    ui::OnFirstUse<TFormLockConfirmation> lockConfirmation;
    ui::OnFirstUse<TFormContractConfiguration> contractConfiguration;
    ui::OnFirstUse<TFormNonStandardContractConfiguration> profileOptions;
    // The user administration's data and calls, shared by its windows.
    std::unique_ptr<users::UserAdministration> userAdministration;
    ui::OnFirstUse<TFormUserManagement> userManagement;
    ui::OnFirstUse<TEditUser> editUser;
    ui::OnFirstUse<TFormAddEditUserRole> editUserRole;
    ui::OnFirstUse<TFormShowQuery> showQuery;
    ui::OnFirstUse<TFormSetOrganisation> setOrganisation;
    ui::OnFirstUse<TFormObjectExportImport> objectExportImport;
    std::unique_ptr<TFormReMapCategory> reMapCategory;
    std::unique_ptr<TFormMapCategory> mapCategory;
    std::unique_ptr<TFormSelectCategorizationType> categorizationType;
    std::unique_ptr<TFormSessionLocked> sessionLocked;
};
