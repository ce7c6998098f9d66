#include "exchange/WizardRules.h"

namespace exchange {

namespace {

constexpr int kTextClose = 400;
constexpr int kTextNext = 401;
constexpr int kTextExport = 404;
constexpr int kTextImport = 405;
constexpr int kTextApply = 406;

}  // namespace

WizardPage BackPage(WizardPage page, PackageType type) {
    switch (page) {
        case WizardPage::ExportStep2:
        case WizardPage::ExportStep3: return WizardPage::ExportStep1;
        case WizardPage::ImportStep2: return WizardPage::ImportStep1;
        case WizardPage::ImportStep3:
            return type == PackageType::Roles ? WizardPage::ImportStep1 : WizardPage::ImportStep2;
        default: return page;
    }
}

bool BackEnabled(WizardPage page) {
    return page == WizardPage::ExportStep2 || page == WizardPage::ExportStep3 ||
           page == WizardPage::ImportStep2 || page == WizardPage::ImportStep3;
}

WizardPage ExportNextPage(WizardPage page, PackageType type) {
    if (page == WizardPage::ExportStep1)
        return type == PackageType::Roles ? WizardPage::ExportStep3 : WizardPage::ExportStep2;
    return page;
}

int NextTextNumber(WizardPage page, bool rolesOffered) {
    switch (page) {
        case WizardPage::ExportStep2:
        case WizardPage::ExportStep3: return kTextExport;
        case WizardPage::ImportStep2: return rolesOffered ? kTextNext : kTextImport;
        case WizardPage::ImportStep3: return kTextImport;
        case WizardPage::ImportStep4: return kTextApply;
        case WizardPage::ExportStep4:
        case WizardPage::ImportStep5: return kTextClose;
        default: return kTextNext;
    }
}

bool NextEnabled(WizardPage page, const NextState& state) {
    switch (page) {
        case WizardPage::ExportStep1: return state.titleAndFileFilled;
        case WizardPage::ImportStep1: return state.fileRead;
        case WizardPage::ExportStep2:
        case WizardPage::ExportStep3:
        case WizardPage::ImportStep2: return state.selectedRows > 0;
        // A users package may bring no roles at all.
        case WizardPage::ImportStep3: return state.type == PackageType::Users || state.selectedRows > 0;
        default: return true;
    }
}

}  // namespace exchange
