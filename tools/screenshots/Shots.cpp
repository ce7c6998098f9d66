#include "Shots.h"

#include "app/AppContext.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormCategoryDetails.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "categorization/TFormMapCategory.h"
#include "categorization/TFormReMapCategory.h"
#include "contracts/TFormContractConfiguration.h"
#include "contracts/TFormNonStandardContractConfiguration.h"
#include "curves/TFormCurveProperties.h"
#include "curves/TFormFWPTable.h"
#include "curves/TFormNormCurve.h"
#include "curves/TForm_FWP_Parameters.h"
#include "exchange/ImportRules.h"
#include "exchange/TFormObjectExportImport.h"
#include "profiles/ApplicationWindows.h"
#include "profiles/ProfileInput.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TFormValidation.h"
#include "profiles/TForm_Input.h"
#include "reports/ReportJobs.h"
#include "reports/TFormExport.h"
#include "reports/TFormReportMenu.h"
#include "reports/TReportCompositeForm.h"
#include "shadowdata/TFormLockConfirmation.h"
#include "shadowdata/TFormLockShadowData.h"
#include "ui/Waiting.h"
#include "units/TFormEditParkUnit.h"
#include "units/TFormParkUnitConfig.h"
#include "units/TFormSelectParkUnits.h"
#include "users/TEditUser.h"
#include "users/TFormAddEditUserRole.h"
#include "users/TFormUserManagement.h"
#include "users/UserAdministration.h"
#include "windsectors/TFormWeibull.h"
#include "windsectors/TFormWindExclusionSector.h"
#include "windsectors/TFormWindExclusionSectors.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

namespace screenshots {

namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kLoadTimeoutMs = 30000;

// Shows `window` (prepared by `prepare`) and waits for its loaded(ok) signal.
template <typename Window>
QWidget* showLoaded(Window& window, const std::function<void()>& prepare, QSize size) {
    bool done = false;
    bool ok = false;
    const auto connection = QObject::connect(&window, &Window::loaded, [&](bool loaded) {
        ok = loaded;
        done = true;
    });
    prepare();
    window.resize(size);
    window.show();
    ui::waitUntil([&done] { return done; }, 20, kLoadTimeoutMs);
    QObject::disconnect(connection);
    return ok ? &window : nullptr;
}

// The first enabled category set of the profile and the event list of its
// first turbine type, as the set and list choice would offer them first.
categorization::CategorySelection firstSelection(Stage& stage, int profileId) {
    categorization::CategorySelection selection;
    db::Command sql;
    sql.text = QStringLiteral(
                   "SELECT S.ReportCategorySetId, S.ReportCategorySetTitle, L.EventListId, L.EventListTitle "
                   "FROM TReportCategorySet AS S, TEventList AS L "
                   "WHERE S.ReportProfileId = %1 AND S.CategorySetEnabled = 1 AND L.EventListId IN "
                   "(SELECT T.EventListId FROM TParkUnit_TReportProfile AS PP JOIN TParkUnit AS P "
                   "ON P.ParkUnitId = PP.ParkUnitId JOIN TUnitType AS T ON T.UnitTypeId = P.UnitTypeId "
                   "WHERE PP.ReportProfileId = %1 AND T.UnitTypeDevice = 'WTG') "
                   "ORDER BY S.CategorySetSortOrder, L.EventListId LIMIT 1")
                   .arg(profileId);
    const db::Result result = stage.context.Database().execute(sql);
    if (!result.ok() || result.resultSets.empty() || result.resultSets[0].rows.empty()) return selection;
    const db::Row& row = result.resultSets[0].rows[0];
    selection.ReportCategorySetId = row[0].toInt();
    selection.ReportCategorySetTitle = row[1].toString();
    selection.EventListId = row[2].toInt();
    selection.EventListTitle = row[3].toString();
    return selection;
}

// A few edits, so that the picture shows every cell picture: two rows
// moved to another category, one newly allocated, and every code shown.
void editSomeRows(categorization::CategoryAllocationWindow& window) {
    auto& grid = window.grid();
    const int first = categorization::allocation_field::kFirstCategory;
    int moved = 0;
    for (int row = 1; row < grid.dataSet().recordCount() && moved < 2; ++row) {
        if (!grid.isAllocated(row) || grid.isSwitchedOff(row)) continue;
        const int stored = grid.storedField(grid.dataSet().valueAt(row, 2).toLongLong());
        window.OvcDbTableCategoryCellActivated(row, stored == first + 2 ? first + 3 : first + 2);
        ++moved;
    }
    for (int row = 1; row < grid.dataSet().recordCount(); ++row) {
        if (grid.isAllocated(row) || grid.isSwitchedOff(row)) continue;
        window.OvcDbTableCategoryCellActivated(row, first + 1);
        break;
    }
    if (auto* expand = window.findChild<QToolButton*>(QStringLiteral("Expand"))) expand->click();
}

// The event allocation of the export profile, loaded: the grid the two
// mapping dialogs work on.
categorization::CategoryAllocationWindow* loadedEventAllocation(Stage& stage) {
    if (!selectProfile(stage, QStringLiteral("Monthly availability export"))) return nullptr;
    auto& window = *stage.windows.categoryAllocation;
    const auto profile = stage.windows.mainWindow->categorizationProfile();
    const auto selection = firstSelection(stage, profile.ReportProfileId);
    return showLoaded(window, [&] { window.Prepare(profile, selection, [] {}); }, {1100, 640}) ? &window
                                                                                               : nullptr;
}

}  // namespace

bool startMainWindow(Stage& stage) {
    TFormSQLProfileAdministrator& window = *stage.windows.mainWindow;
    window.resize(1000, 640);
    window.show();
    return ui::waitUntil([&window] { return window.isStarted(); }, 20, kStartTimeoutMs);
}

bool selectProfile(Stage& stage, const QString& title) {
    TFormSQLProfileAdministrator& window = *stage.windows.mainWindow;
    if (!window.profileList().locate(QStringLiteral("ReportProfileTitle"), title)) return false;
    ui::pause(50);
    return window.currentProfile().Title == title;
}

std::vector<Shot> allShots() {
    std::vector<Shot> shots;
    shots.push_back({"main-window",
                     [](Stage& stage) -> QWidget* {
                         if (!selectProfile(stage, QStringLiteral("Phase 2 - WT 3000"))) return nullptr;
                         return stage.windows.mainWindow.get();
                     },
                     {}});
    shots.push_back({"category-configuration",
                     [](Stage& stage) -> QWidget* {
                         if (!selectProfile(stage, QStringLiteral("Whole park"))) return nullptr;
                         auto& window = *stage.windows.categoryDetails;
                         const auto profile = stage.windows.mainWindow->categorizationProfile();
                         return showLoaded(window, [&] { window.Prepare(profile, [] {}); }, {780, 480});
                     },
                     [](Stage& stage) { stage.windows.categoryDetails->hide(); }});
    shots.push_back({"event-allocation",
                     [](Stage& stage) -> QWidget* {
                         if (!selectProfile(stage, QStringLiteral("Monthly availability export")))
                             return nullptr;
                         auto& window = *stage.windows.categoryAllocation;
                         const auto profile = stage.windows.mainWindow->categorizationProfile();
                         const auto selection = firstSelection(stage, profile.ReportProfileId);
                         QWidget* shown = showLoaded(
                             window, [&] { window.Prepare(profile, selection, [] {}); }, {1100, 640});
                         if (shown) editSomeRows(window);
                         return shown;
                     },
                     [](Stage& stage) {
                         // The edits are the picture's, not the database's.
                         stage.windows.categoryAllocation->dataSet().cancelBatch();
                         stage.windows.categoryAllocation->hide();
                     }});
    shots.push_back({"derating-allocation",
                     [](Stage& stage) -> QWidget* {
                         if (!selectProfile(stage, QStringLiteral("Phase 2 - WT 3000"))) return nullptr;
                         auto& window = *stage.windows.deratingAllocation;
                         const auto profile = stage.windows.mainWindow->categorizationProfile();
                         return showLoaded(window, [&] { window.Prepare(profile, [] {}); }, {1000, 600});
                     },
                     [](Stage& stage) { stage.windows.deratingAllocation->hide(); }});
    const auto openUnitConfiguration = [](Stage& stage) -> QWidget* {
        if (!selectProfile(stage, QStringLiteral("Whole park"))) return nullptr;
        auto& window = *stage.windows.parkUnitConfig;
        const auto& profile = stage.windows.mainWindow->currentProfile();
        return showLoaded(window, [&] { window.Prepare(profile.ProfileId, profile.Title, false); },
                          {1280, 600});
    };
    shots.push_back({"unit-configuration", openUnitConfiguration,
                     [](Stage& stage) { stage.windows.parkUnitConfig->hide(); }});
    shots.push_back({"unit-record-view",
                     [openUnitConfiguration](Stage& stage) -> QWidget* {
                         auto* config = static_cast<TFormParkUnitConfig*>(openUnitConfiguration(stage));
                         if (!config) return nullptr;
                         config->rows().moveTo(11);
                         config->ButtonEditClick();
                         return stage.windows.editParkUnit.get();
                     },
                     [](Stage& stage) {
                         stage.windows.editParkUnit->hide();
                         stage.windows.parkUnitConfig->hide();
                     }});
    shots.push_back({"unit-selection",
                     [](Stage& stage) -> QWidget* {
                         if (!selectProfile(stage, QStringLiteral("North row 2024"))) return nullptr;
                         auto& config = *stage.windows.parkUnitConfig;
                         const auto& profile = stage.windows.mainWindow->currentProfile();
                         config.Prepare(profile.ProfileId, profile.Title, false);
                         if (!config.PrepareSelection(units::StartMode::Available)) return nullptr;
                         auto& dialog = *stage.windows.selectParkUnits;
                         dialog.Fill();
                         dialog.resize(720, 520);
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.selectParkUnits->hide(); }});
    shots.push_back({"validation-parameters",
                     [](Stage& stage) -> QWidget* {
                         auto& window = *stage.windows.validation;
                         return showLoaded(window, [&] { window.Prepare(); }, {640, 440});
                     },
                     [](Stage& stage) { stage.windows.validation->hide(); }});
    // The reference curves: a demo power curve, its properties, the Weibull
    // dialog; the free wind parameter sets and one set's dialog.
    shots.push_back({"reference-curve-editor",
                     [](Stage& stage) -> QWidget* {
                         auto& window = *stage.windows.normCurve;
                         return showLoaded(window, [&] { window.Prepare(); }, {1200, 640});
                     },
                     [](Stage& stage) { stage.windows.normCurve->hide(); }});
    shots.push_back({"curve-properties",
                     [](Stage& stage) -> QWidget* {
                         curves::CurveProperties properties;
                         properties.title = QStringLiteral("WT 2300/82 power curve");
                         properties.description =
                             QStringLiteral("Manufacturer's power curve at standard air density.");
                         properties.airDensity = TFormCurveProperties::defaultAirDensity();
                         properties.cutIn = QStringLiteral("3");
                         properties.cutOut = QStringLiteral("25");
                         auto& dialog = *stage.windows.curveProperties;
                         dialog.Prepare(properties, true);
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.curveProperties->hide(); }});
    shots.push_back({"weibull",
                     [](Stage& stage) -> QWidget* {
                         auto& dialog = *stage.windows.weibull;
                         dialog.Prepare();
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.weibull->hide(); }});
    shots.push_back({"free-wind-parameters",
                     [](Stage& stage) -> QWidget* {
                         auto& window = *stage.windows.freeWindTable;
                         return showLoaded(window, [&] { window.Prepare(); }, {1100, 360});
                     },
                     [](Stage& stage) { stage.windows.freeWindTable->hide(); }});
    shots.push_back({"free-wind-parameter-set",
                     [](Stage& stage) -> QWidget* {
                         auto& dialog = *stage.windows.freeWindParameters;
                         curves::FreeWindTexts boxes = TForm_FWP_Parameters::newSet();
                         boxes[0] = QStringLiteral("Nacelle anemometer WT 2300");
                         for (int box = 0; box < curves::kFreeWindBoxes; ++box)
                             dialog.box(box)->setText(boxes[size_t(box)]);
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.freeWindParameters->hide(); }});
    // The wind sector group whose excluded sector wraps through north.
    shots.push_back({"wind-exclusion-sectors",
                     [](Stage& stage) -> QWidget* {
                         auto& window = *stage.windows.windSectors;
                         if (!showLoaded(window, [&] { window.Prepare(); }, {680, 420})) return nullptr;
                         const QAbstractItemModel& groups = *window.groupList()->model();
                         for (int row = 0; row < groups.rowCount(); ++row)
                             if (groups.index(row, 0).data().toString() == QLatin1String("North row wake sectors"))
                                 window.groupList()->setCurrentIndex(groups.index(row, 0));
                         return &window;
                     },
                     [](Stage& stage) { stage.windows.windSectors->hide(); }});
    shots.push_back(
        {"wind-exclusion-sector",
         [](Stage& stage) -> QWidget* {
             auto& dialog = *stage.windows.windSector;
             dialog.Prepare({true, 350, 20, {"0", "-0.0031", "1.045", "0.12", "0", "0", "1", "0"}});
             dialog.show();
             return &dialog;
         },
         [](Stage& stage) { stage.windows.windSector->hide(); }});
    shots.push_back(
        {"shadow-data-sign-off",
         [](Stage& stage) -> QWidget* {
             if (!selectProfile(stage, QStringLiteral("Phase 1 - WT 2300"))) return nullptr;
             auto& window = *stage.windows.lockShadowData;
             const int profileId = stage.windows.mainWindow->currentProfile().ProfileId;
             QWidget* shown = showLoaded(window, [&] { window.Prepare(profileId); }, {860, 460});
             if (auto* description = window.findChild<QLineEdit*>(QStringLiteral("EditDescription")))
                 description->setText(QStringLiteral("Second half of 2024 checked with the owners"));
             return shown;
         },
         [](Stage& stage) { stage.windows.lockShadowData->hide(); }});
    shots.push_back({"lock-confirmation",
                     [](Stage& stage) -> QWidget* {
                         auto& dialog = *stage.windows.lockConfirmation;
                         dialog.Prepare(true, true, QDateTime(QDate(2024, 7, 1), QTime(0, 0)),
                                        QDateTime(QDate(2025, 1, 1), QTime(0, 0)));
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.lockConfirmation->hide(); }});
    shots.push_back({"map-category",
                     [](Stage& stage) -> QWidget* {
                         auto* window = loadedEventAllocation(stage);
                         if (!window) return nullptr;
                         auto& dialog = *stage.windows.mapCategory;
                         dialog.Prepare(window->grid(), TFormMapCategory::kModeEvents, false, {});
                         auto* source = dialog.findChild<QComboBox*>(QStringLiteral("ComboBoxSource"));
                         source->setCurrentIndex(source->count() > 1 ? 1 : 0);
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) {
                         stage.windows.mapCategory->hide();
                         stage.windows.categoryAllocation->hide();
                     }});
    // Two titles of an older file that the profile does not know, one resolved.
    auto fileCategories = std::make_shared<std::vector<categorization::AllocationFileCategory>>();
    shots.push_back({"unknown-category",
                     [fileCategories](Stage& stage) -> QWidget* {
                         auto* window = loadedEventAllocation(stage);
                         if (!window) return nullptr;
                         const auto known = window->grid().categoryList();
                         window->hide();
                         *fileCategories = {{1, known.empty() ? QString() : known.front().second},
                                            {7, QStringLiteral("Grid operator outage")},
                                            {8, QStringLiteral("Scheduled service")}};
                         auto& dialog = *stage.windows.reMapCategory;
                         if (dialog.Prepare(*fileCategories, known)) return nullptr;
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.reMapCategory->hide(); }});
    shots.push_back({"profile-create",
                     [](Stage& stage) -> QWidget* {
                         auto& dialog = *stage.windows.profileInput;
                         dialog.PrepareCreate(true);
                         if (auto* title = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1")))
                             title->setText(QStringLiteral("South row 2025"));
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.profileInput->hide(); }});
    shots.push_back({"profile-options",
                     [](Stage& stage) -> QWidget* {
                         auto& dialog = *stage.windows.profileOptions;
                         auto& context = stage.context;
                         contracts::ProfileOptions values;
                         values.neighbourWindSpeed = true;
                         dialog.Prepare(
                             values, profiles::optionOffers(
                                         [&context](const QString& threshold) {
                                             return context.IsDatabaseVersionAtLeast(threshold);
                                         },
                                         [&context](int code) { return context.HasFeature(code); }, values));
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.profileOptions->hide(); }});
    shots.push_back({"contract-configuration",
                     [](Stage& stage) -> QWidget* {
                         auto& window = *stage.windows.contractConfiguration;
                         return showLoaded(window, [&] { window.Prepare(); }, {460, 380});
                     },
                     [](Stage& stage) { stage.windows.contractConfiguration->hide(); }});
    shots.push_back(
        {"report-menu",
         [](Stage& stage) -> QWidget* {
             auto& menu = *stage.windows.reportMenu;
             auto& main = *stage.windows.mainWindow;
             bool checked = false;
             const auto connection =
                 QObject::connect(&menu, &TFormReportMenu::printerChecked, [&checked] { checked = true; });
             menu.Prepare(reports::dataSetReport(main.profileList(), &main, {reports::applicationTitle()}));
             menu.show();
             ui::waitUntil([&checked] { return checked; }, 20, kLoadTimeoutMs);
             QObject::disconnect(connection);
             return &menu;
         },
         [](Stage& stage) { stage.windows.reportMenu->hide(); }});
    shots.push_back({"export-dialog",
                     [](Stage& stage) -> QWidget* {
                         auto& dialog = *stage.windows.exportForm;
                         dialog.Prepare(QStringLiteral("Category allocation.xlsx"));
                         dialog.show();
                         return &dialog;
                     },
                     [](Stage& stage) { stage.windows.exportForm->hide(); }});
    // The user dialogs on the demo's users and roles: a user with roles, and
    // a role of our own.
    shots.push_back({"edit-user",
                     [](Stage& stage) -> QWidget* {
                         auto& administration = *stage.windows.userAdministration;
                         if (!administration.load() || !administration.users.find(2)) return nullptr;
                         stage.windows.editUser->Prepare(2);
                         stage.windows.editUser->show();
                         return stage.windows.editUser.get();
                     },
                     [](Stage& stage) { stage.windows.editUser->hide(); }});
    shots.push_back({"edit-user-role",
                     [](Stage& stage) -> QWidget* {
                         auto& administration = *stage.windows.userAdministration;
                         if (!administration.load() || !administration.roles.find(4)) return nullptr;
                         stage.windows.editUserRole->Prepare(4);
                         stage.windows.editUserRole->show();
                         return stage.windows.editUserRole.get();
                     },
                     [](Stage& stage) { stage.windows.editUserRole->hide(); }});
    // The user management on the demo: a page of each kind.
    const auto userManagement = [](users::Grid grid) {
        return [grid](Stage& stage) -> QWidget* {
            auto& window = *stage.windows.userManagement;
            if (!window.isVisible() &&
                !showLoaded(window, [&] { window.Prepare(stage.context.session().UserId); }, {1180, 640}))
                return nullptr;
            window.showGrid(grid);
            return &window;
        };
    };
    const auto closeUserManagement = [](Stage& stage) { stage.windows.userManagement->hide(); };
    shots.push_back({"user-management-users", userManagement(users::Grid::UserDetails), {}});
    shots.push_back({"user-management-overview", userManagement(users::Grid::Overview), {}});
    shots.push_back({"user-management-roles", userManagement(users::Grid::RoleDetails), closeUserManagement});
    // The object export's first page, and an import of a package that holds
    // a new user and changed copies of two demo users.
    using Wizard = TFormObjectExportImport;
    shots.push_back({"object-export",
                     [](Stage& stage) -> QWidget* {
                         auto& wizard = *stage.windows.objectExportImport;
                         if (!stage.windows.userAdministration->load()) return nullptr;
                         wizard.Prepare(Wizard::Mode::Export);
                         wizard.findChild<QLineEdit*>(QStringLiteral("EditTitle"))
                             ->setText(QStringLiteral("Hand-over to the service database"));
                         wizard.findChild<QPlainTextEdit*>(QStringLiteral("MemoDescription"))
                             ->setPlainText(
                                 QStringLiteral("Operators of Hollow Ridge\nwith their report rights"));
                         wizard.findChild<QLineEdit*>(QStringLiteral("EditFileName"))
                             ->setText(QStringLiteral("/srv/handover/Operators.XML"));
                         wizard.show();
                         return &wizard;
                     },
                     [](Stage& stage) { stage.windows.objectExportImport->hide(); }});
    shots.push_back({"object-import-questions",
                     [](Stage& stage) -> QWidget* {
                         auto& administration = *stage.windows.userAdministration;
                         if (!administration.load() || administration.users.items.size() < 2) return nullptr;
                         QStringList records;
                         int changed = 0;
                         for (const auto& [id, user] : administration.users.items) {
                             if (changed++ == 2) break;
                             users::User copy = user;
                             copy.FirstName += QStringLiteral(" M.");
                             copy.rights.of(users::RightKind::Features).insert(120);
                             records << exchange::UserPlainText(copy);
                         }
                         users::User added;
                         added.UserId = 900;
                         added.Initials = QStringLiteral("NEW");
                         added.FirstName = QStringLiteral("Nils");
                         added.SurName = QStringLiteral("Ewert");
                         records << exchange::UserPlainText(added);
                         exchange::PackageHeader header;
                         header.title = QStringLiteral("Hand-over to the service database");
                         header.databaseVersion = stage.context.session().DBVersion;
                         const QString path =
                             QDir::temp().filePath(QStringLiteral("skyloom-shot-package.XML"));
                         QFile file(path);
                         if (!file.open(QIODevice::WriteOnly) ||
                             file.write(exchange::WritePackage(header, QStringLiteral("User"), records)) < 0)
                             return nullptr;
                         file.close();
                         auto& wizard = *stage.windows.objectExportImport;
                         wizard.Prepare(Wizard::Mode::Import);
                         wizard.resize(900, 520);
                         wizard.show();
                         wizard.findChild<QLineEdit*>(QStringLiteral("EditImportFile"))->setText(path);
                         wizard.ButtonNextClick();
                         wizard.ButtonNextClick();
                         QFile::remove(path);
                         return wizard.page() == exchange::WizardPage::ImportStep4 ? &wizard : nullptr;
                     },
                     {}});
    shots.push_back({"object-import-result",
                     [](Stage& stage) -> QWidget* {
                         auto& wizard = *stage.windows.objectExportImport;
                         if (!wizard.isVisible() || wizard.page() != exchange::WizardPage::ImportStep4)
                             return nullptr;
                         QTableView* view = wizard.view(Wizard::Conflicts);
                         view->selectAll();
                         for (QAction* action : view->actions())
                             if (action->objectName() == QLatin1String("ActionYes")) action->trigger();
                         wizard.ButtonNextClick();
                         return &wizard;
                     },
                     [](Stage& stage) { stage.windows.objectExportImport->hide(); }});
    shots.push_back(
        {"printed-page", {}, {}, [](Stage& stage) -> QImage {
             if (!selectProfile(stage, QStringLiteral("Monthly availability export"))) return {};
             auto& window = *stage.windows.categoryAllocation;
             const auto profile = stage.windows.mainWindow->categorizationProfile();
             const auto selection = firstSelection(stage, profile.ReportProfileId);
             if (!showLoaded(window, [&] { window.Prepare(profile, selection, [] {}); }, {1100, 640}))
                 return {};
             const auto source =
                 reports::dataSetReport(window.dataSet(), &window, window.reportHeaderTexts());
             const reports::TReportCompositeForm report(
                 reports::tableOf(source),
                 reports::reportSettings(stage.context, source, QPageLayout::Portrait,
                                         QDateTime::currentDateTime()));
             window.hide();
             return reports::pageImage(report, 0, 100);
         }});
    return shots;
}

bool render(Stage& stage, const Shot& shot, const QString& file) {
    if (shot.picture) {
        const QImage picture = shot.picture(stage);
        return !picture.isNull() && picture.save(file, "PNG");
    }
    QWidget* window = shot.open(stage);
    bool saved = false;
    if (window) {
        ui::pause(100);  // let pending layouts and paints run
        saved = window->grab().save(file, "PNG");
    }
    if (shot.close) shot.close(stage);
    return saved;
}

}  // namespace screenshots
