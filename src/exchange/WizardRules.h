#pragma once
// The page rules of the export and import wizard: where Back leads, what
// Next reads and when it may be pressed.

#include "exchange/Package.h"

namespace exchange {

enum class WizardPage {
    ExportStep1,  // package data
    ExportStep2,  // select users
    ExportStep3,  // select roles
    ExportStep4,  // export result
    ImportStep1,  // select the file
    ImportStep2,  // select users
    ImportStep3,  // select roles
    ImportStep4,  // conflicts
    ImportStep5,  // import result
};
inline constexpr int kWizardPages = 9;

// The page Back leads to; the page itself where Back is not offered.
WizardPage BackPage(WizardPage page, PackageType type);
bool BackEnabled(WizardPage page);
// The page Next leads to from a page on which nothing is to be done first.
// Pages whose Next writes or imports return themselves.
WizardPage ExportNextPage(WizardPage page, PackageType type);

// The number of the text on Next. `rolesOffered`: the import's roles page
// has rows.
int NextTextNumber(WizardPage page, bool rolesOffered);

struct NextState {
    bool titleAndFileFilled = false;  // export step 1
    bool fileRead = false;            // import step 1
    int selectedRows = 0;             // selection pages
    PackageType type = PackageType::Users;
};
bool NextEnabled(WizardPage page, const NextState& state);

// The package type as the type combo box shows it: 2 is roles, anything
// else users.
inline int TypeItem(int type) { return type == int(PackageType::Roles) ? 1 : 0; }

}  // namespace exchange
