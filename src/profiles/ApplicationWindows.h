#pragma once
// Every window of the program, created once in the fixed order (the main
// window first), registered with the context and handed to the main window,
// and released in reverse order. The program and the screenshot tool share it.

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
class TFormWindExclusionSectors;
class TFormWindExclusionSector;
class TFormWindExclusionGroup;

namespace users {
class UserAdministration;
}

struct ApplicationWindows {
    explicit ApplicationWindows(app::AppContext& context);
    ~ApplicationWindows();
    ApplicationWindows(const ApplicationWindows&) = delete;
    ApplicationWindows& operator=(const ApplicationWindows&) = delete;

    app::AppContext& context;
    std::unique_ptr<TFormSQLProfileAdministrator> mainWindow;
    std::unique_ptr<TFormCatagorySelect> categorySelect;
    std::unique_ptr<TFormCatagoryAllocation> categoryAllocation;
    std::unique_ptr<TFormDeratingCatagoryAllocation> deratingAllocation;
    // The category configuration holds its two dialogs from the start, so
    // they are made just before it.
    std::unique_ptr<TFormRenameCategorySet> renameCategorySet;
    std::unique_ptr<TFormManageCategorySet> manageCategorySet;
    std::unique_ptr<TFormCategoryDetails> categoryDetails;
    std::unique_ptr<TFormParkUnitConfig> parkUnitConfig;
    std::unique_ptr<TFormUtil> util;
    std::unique_ptr<TformDeselectedUnits> deselectedUnits;
    std::unique_ptr<TFormRemovePromt> removePrompt;
    std::unique_ptr<TFormProgresser> progresser;
    std::unique_ptr<TFormRegenerateShadowData> regenerateShadowData;
    std::unique_ptr<TFormValidation> validation;
    std::unique_ptr<TFormRGSDialog> rgsDialog;
    std::unique_ptr<TFormPUProgresser> puProgresser;
    std::unique_ptr<TFormXML> closingWindow;
    std::unique_ptr<TFormStatus> status;
    std::unique_ptr<TFormReportMenu> reportMenu;
    std::unique_ptr<TOrinADOProgressDialog> progressDialog;
    std::unique_ptr<TFormWindExclusionSectors> windSectors;
    std::unique_ptr<TFormWindExclusionSector> windSector;
    std::unique_ptr<TFormWindExclusionGroup> windGroup;
    std::unique_ptr<TFormEditParkUnit> editParkUnit;
    std::unique_ptr<TFormExport> exportForm;
    std::unique_ptr<TFormSelectParkUnits> selectParkUnits;
    std::unique_ptr<TFormLockShadowData> lockShadowData;
    std::unique_ptr<TFormLockConfirmation> lockConfirmation;
    // The user administration's data and calls, shared by its windows.
    std::unique_ptr<users::UserAdministration> userAdministration;
    std::unique_ptr<TEditUser> editUser;
    std::unique_ptr<TFormAddEditUserRole> editUserRole;
    std::unique_ptr<TFormShowQuery> showQuery;
    std::unique_ptr<TFormSetOrganisation> setOrganisation;
    std::unique_ptr<TFormSelectCategorizationType> categorizationType;
    std::unique_ptr<TFormSessionLocked> sessionLocked;
};
