#include "users/TFormUserManagement.h"

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"
#include "ui/DataSetModel.h"
#include "ui/LoadOnFirstShow.h"
#include "ui/ToolButtons.h"
#include "users/TFormShowQuery.h"
#include "users/UserAdministration.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <span>
#include <tuple>

using users::Grid;

namespace {

constexpr int kTextAllOrganisations = 25;
constexpr int kTextLoading = 150;
constexpr int kTextCaption = 9021;
constexpr int kTextUsers = 9022;
constexpr int kTextUserRoles = 9012;
constexpr int kTextDescription = 9014;
constexpr int kTextAddUser = 9049;
constexpr int kTextEditUser = 9050;
constexpr int kTextAddRole = 9051;
constexpr int kTextEditRole = 9052;
constexpr int kTextRemoveRole = 9053;
constexpr int kTextFilterOrganisation = 9054;
constexpr int kTextShowKorvane = 9055;
constexpr int kTextShowDisabled = 9056;
constexpr int kTextShowInactive = 9057;
constexpr int kTextRefresh = 9058;
constexpr int kTextSaveChanges = 9059;
constexpr int kTextImport = 9060;
constexpr int kTextExport = 9061;
constexpr int kTextSaveFile = 9074;
constexpr int kTextClose = 9080;
constexpr int kTextPrint = 9081;
constexpr int kTextCopy = 9082;

// The sub-pages in their order, with their captions.
struct Page {
    Grid grid;
    const char* tab;
    int caption;
};
constexpr Page kUserPages[] = {
    {Grid::UserDetails, "TabSheetUserDetails", 9023},
    {Grid::UserFeatures, "TabSheetUserFeatures", 9024},
    {Grid::UserProfiles, "TabSheetUserProfiles", 9025},
    {Grid::UserTemplates, "TabSheetUserTemplates", 9026},
    {Grid::UserRoles, "TabSheetUserRoleRelations", 9027},
    {Grid::Overview, "TabSheetOverview", 9028},
};
constexpr Page kRolePages[] = {
    {Grid::RoleDetails, "TabSheetRoleDetails", 9023},     {Grid::RoleFeatures, "TabSheetRoleFeatures", 9024},
    {Grid::RoleTemplates, "TabSheetRoleTemplates", 9026}, {Grid::RoleProfiles, "TabSheetRoleProfiles", 9025},
    {Grid::RoleUsers, "TabSheetRoleUsers", 9029},
};

// Pop-up menu commands: name, caption.
struct MenuCommand {
    const char* name;
    int caption;
};
constexpr MenuCommand kUserLevelCommands[] = {
    {"ActionUserLevel1", 9062}, {"ActionUserLevel2", 9063},  {"ActionUserLevel3", 9064},
    {"ActionUserLevel4", 9065}, {"ActionDisableUser", 9066}, {"ActionUseRoleLevel", 9067},
};
constexpr MenuCommand kRoleLevelCommands[] = {
    {"ActionRoleLevel1", 9062},
    {"ActionRoleLevel2", 9063},
    {"ActionRoleLevel3", 9064},
    {"ActionRoleLevel4", 9065},
};
constexpr MenuCommand kOtherCommands[] = {
    {"ActionSetOrganisation", 9068}, {"ActionEnable", 9069},       {"ActionDisable", 9070},
    {"ActionClearFilter", 9071},     {"ActionShowUserName", 9072}, {"ActionShowInitials", 9073},
};

}  // namespace

TFormUserManagement::TFormUserManagement(app::AppContext& context, users::UserAdministration& administration,
                                         QWidget* parent)
    : QDialog(parent), context_(context), administration_(administration) {
    setObjectName(QStringLiteral("TFormUserManagement"));
    setWindowTitle(QStringLiteral("User management"));
    buildUi();
}

TFormUserManagement::~TFormUserManagement() {
    // The models listen to the data sets; the views let go of them first.
    for (QTableView* view : views_)
        if (view) view->setModel(nullptr);
    for (auto& model : models_) model.reset();
}

void TFormUserManagement::setDialogs(const UserManagementDialogs& dialogs) { dialogs_ = dialogs; }

QString TFormUserManagement::text(int number) { return context_.texts().window(number); }

QAction* TFormUserManagement::action(const char* name) const {
    return findChild<QAction*>(QLatin1String(name));
}

QTableView* TFormUserManagement::makeGrid(Grid grid, const char* name, QWidget* parent) {
    const size_t g = size_t(grid);
    models_[g] = std::make_unique<ui::DataSetModel>(sets_[g]);
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setModel(models_[g].get());
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    views_[g] = view;
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        showDescription();
        enableCommands();
    });
    if (users::IsRightsGrid(grid))
        connect(view, &QTableView::doubleClicked, this, [this] { SwitchRightsClick(std::nullopt); });
    return view;
}

QAction* TFormUserManagement::addAction(QWidget* owner, const char* name,
                                        void (TFormUserManagement::*handler)()) {
    QAction* a = findChild<QAction*>(QLatin1String(name));
    if (!a) {
        a = new QAction(this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
    }
    owner->addAction(a);
    return a;
}

void TFormUserManagement::buildUi() {
    SpeedButtonClose = ui::makeToolButton(this, "SpeedButtonClose", nullptr, QStyle::SP_DialogCloseButton);
    SpeedButtonPrint =
        ui::makeToolButton(this, "SpeedButtonPrint", nullptr, QStyle::SP_FileDialogDetailedView);
    SpeedButtonCopy = ui::makeToolButton(this, "SpeedButtonCopy", nullptr, QStyle::SP_FileDialogContentsView);
    SpeedButtonSave = ui::makeToolButton(this, "SpeedButtonSave", nullptr, QStyle::SP_DialogSaveButton);
    SpeedButtonRefresh = ui::makeToolButton(this, "SpeedButtonRefresh", nullptr, QStyle::SP_BrowserReload);
    SpeedButtonSaveChanges =
        ui::makeToolButton(this, "SpeedButtonSaveChanges", nullptr, QStyle::SP_DialogApplyButton);
    SpeedButtonImport = ui::makeToolButton(this, "SpeedButtonImport", nullptr, QStyle::SP_ArrowDown);
    SpeedButtonExport = ui::makeToolButton(this, "SpeedButtonExport", nullptr, QStyle::SP_ArrowUp);
    auto* tools = new QHBoxLayout;
    tools->setSpacing(2);
    for (QToolButton* b : {SpeedButtonClose, SpeedButtonPrint, SpeedButtonCopy, SpeedButtonSave})
        tools->addWidget(b);
    tools->addSpacing(12);
    for (QToolButton* b : {SpeedButtonRefresh, SpeedButtonSaveChanges}) tools->addWidget(b);
    tools->addSpacing(12);
    for (QToolButton* b : {SpeedButtonImport, SpeedButtonExport}) tools->addWidget(b);
    tools->addStretch();

    PageControlMain = new QTabWidget(this);
    PageControlMain->setObjectName(QStringLiteral("PageControlMain"));

    // Users: the sub-pages beside the user filter.
    auto* usersPage = new QWidget(PageControlMain);
    usersPage->setObjectName(QStringLiteral("TabSheetUsers"));
    auto* usersLayout = new QHBoxLayout(usersPage);
    PageControlUsers = new QTabWidget(usersPage);
    PageControlUsers->setObjectName(QStringLiteral("PageControlUsers"));
    for (const Page& page : kUserPages) {
        auto* tab = new QWidget(PageControlUsers);
        tab->setObjectName(QLatin1String(page.tab));
        auto* layout = new QVBoxLayout(tab);
        const char* name = page.grid == Grid::UserDetails     ? "TableViewUsers"
                           : page.grid == Grid::UserFeatures  ? "TableViewUserFeatures"
                           : page.grid == Grid::UserProfiles  ? "TableViewUserProfiles"
                           : page.grid == Grid::UserTemplates ? "TableViewUserTemplates"
                           : page.grid == Grid::UserRoles     ? "TableViewUserRoleRelations"
                                                              : "TableViewOverview";
        layout->addWidget(makeGrid(page.grid, name, tab));
        if (page.grid == Grid::UserDetails) {
            auto* buttons = new QHBoxLayout;
            ButtonAddUser = new QPushButton(tab);
            ButtonAddUser->setObjectName(QStringLiteral("ButtonAddUser"));
            ButtonEditUser = new QPushButton(tab);
            ButtonEditUser->setObjectName(QStringLiteral("ButtonEditUser"));
            buttons->addWidget(ButtonAddUser);
            buttons->addWidget(ButtonEditUser);
            buttons->addStretch();
            layout->addLayout(buttons);
        }
        PageControlUsers->addTab(tab, QString());
    }
    usersLayout->addWidget(PageControlUsers, 1);
    auto* userFilter = new QVBoxLayout;
    userFilter->addWidget(makeGrid(Grid::UserFilter, "TableViewUserFilter", usersPage), 1);
    LabelOrganisation = new QLabel(usersPage);
    ComboBoxOrganisation = new QComboBox(usersPage);
    ComboBoxOrganisation->setObjectName(QStringLiteral("ComboBoxOrganisation"));
    LabelOrganisation->setBuddy(ComboBoxOrganisation);
    userFilter->addWidget(LabelOrganisation);
    userFilter->addWidget(ComboBoxOrganisation);
    const auto makeCheck = [&](const char* name) {
        auto* box = new QCheckBox(usersPage);
        box->setObjectName(QLatin1String(name));
        box->setChecked(true);
        userFilter->addWidget(box);
        return box;
    };
    CheckBoxShowKorvaneUsers = makeCheck("CheckBoxShowKorvaneUsers");
    CheckBoxShowDisabledUsers = makeCheck("CheckBoxShowDisabledUsers");
    CheckBoxShowInactiveUsers = makeCheck("CheckBoxShowInactiveUsers");
    auto* userFilterPanel = new QWidget(usersPage);
    userFilterPanel->setObjectName(QStringLiteral("PanelUserFilter"));
    userFilterPanel->setLayout(userFilter);
    userFilterPanel->setMaximumWidth(300);
    usersLayout->addWidget(userFilterPanel);
    PageControlMain->addTab(usersPage, QString());

    // User roles: the sub-pages beside the role filter.
    auto* rolesPage = new QWidget(PageControlMain);
    rolesPage->setObjectName(QStringLiteral("TabSheetUserRoles"));
    auto* rolesLayout = new QHBoxLayout(rolesPage);
    PageControlUserRoles = new QTabWidget(rolesPage);
    PageControlUserRoles->setObjectName(QStringLiteral("PageControlUserRoles"));
    for (const Page& page : kRolePages) {
        auto* tab = new QWidget(PageControlUserRoles);
        tab->setObjectName(QLatin1String(page.tab));
        auto* layout = new QVBoxLayout(tab);
        const char* name = page.grid == Grid::RoleDetails     ? "TableViewUserRole"
                           : page.grid == Grid::RoleFeatures  ? "TableViewRoleFeatures"
                           : page.grid == Grid::RoleTemplates ? "TableViewRoleTemplates"
                           : page.grid == Grid::RoleProfiles  ? "TableViewRoleProfiles"
                                                              : "TableViewRoleUsers";
        layout->addWidget(makeGrid(page.grid, name, tab));
        if (page.grid == Grid::RoleDetails) {
            auto* buttons = new QHBoxLayout;
            const auto makeButton = [&](const char* buttonName) {
                auto* b = new QPushButton(tab);
                b->setObjectName(QLatin1String(buttonName));
                buttons->addWidget(b);
                return b;
            };
            ButtonAddRole = makeButton("ButtonAddRole");
            ButtonEditRole = makeButton("ButtonEditRole");
            ButtonRemoveRole = makeButton("ButtonRemoveRole");
            buttons->addStretch();
            layout->addLayout(buttons);
        }
        PageControlUserRoles->addTab(tab, QString());
    }
    rolesLayout->addWidget(PageControlUserRoles, 1);
    QTableView* roleFilter = makeGrid(Grid::RoleFilter, "TableViewRoleFilter", rolesPage);
    roleFilter->setMaximumWidth(300);
    rolesLayout->addWidget(roleFilter);
    PageControlMain->addTab(rolesPage, QString());

    LabelDescription = new QLabel(this);
    MemoDescription = new QPlainTextEdit(this);
    MemoDescription->setObjectName(QStringLiteral("MemoDescription"));
    MemoDescription->setReadOnly(true);
    MemoDescription->setMaximumHeight(70);
    LabelDescription->setBuddy(MemoDescription);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(PageControlMain, 1);
    layout->addWidget(LabelDescription);
    layout->addWidget(MemoDescription);
    setSizeGripEnabled(true);
    resize(1180, 680);

    // Pop-up menus.
    QTableView* usersGrid = views_[size_t(Grid::UserDetails)];
    QTableView* rolesGrid = views_[size_t(Grid::RoleDetails)];
    for (int level = 1; level <= 4; ++level) {
        auto* a = new QAction(this);
        a->setObjectName(QLatin1String(kUserLevelCommands[level - 1].name));
        connect(a, &QAction::triggered, this, [this, level] { SetLevelClick(level); });
        usersGrid->addAction(a);
    }
    auto* disableUser = new QAction(this);
    disableUser->setObjectName(QLatin1String(kUserLevelCommands[4].name));
    connect(disableUser, &QAction::triggered, this, [this] { SetLevelClick(0); });
    usersGrid->addAction(disableUser);
    addAction(usersGrid, kUserLevelCommands[5].name, &TFormUserManagement::UseRoleLevelClick);
    addAction(usersGrid, "ActionSetOrganisation", &TFormUserManagement::SetOrganisationClick);
    for (int level = 1; level <= 4; ++level) {
        auto* a = new QAction(this);
        a->setObjectName(QLatin1String(kRoleLevelCommands[level - 1].name));
        connect(a, &QAction::triggered, this, [this, level] { SetLevelClick(level); });
        rolesGrid->addAction(a);
    }
    auto* enable = new QAction(this);
    enable->setObjectName(QStringLiteral("ActionEnable"));
    connect(enable, &QAction::triggered, this, [this] { SwitchRightsClick(true); });
    auto* disable = new QAction(this);
    disable->setObjectName(QStringLiteral("ActionDisable"));
    connect(disable, &QAction::triggered, this, [this] { SwitchRightsClick(false); });
    for (int g = 0; g < users::kGridCount; ++g)
        if (users::IsRightsGrid(Grid(g))) views_[size_t(g)]->addActions({enable, disable});
    auto* showNames = new QAction(this);
    showNames->setObjectName(QStringLiteral("ActionShowUserName"));
    auto* showInitials = new QAction(this);
    showInitials->setObjectName(QStringLiteral("ActionShowInitials"));
    for (QAction* a : {showNames, showInitials}) a->setCheckable(true);
    showNames->setChecked(true);
    connect(showNames, &QAction::triggered, this, [this] { ShowNamesClick(true); });
    connect(showInitials, &QAction::triggered, this, [this] { ShowNamesClick(false); });
    QTableView* usersFilter = views_[size_t(Grid::UserFilter)];
    usersFilter->addActions({showNames, showInitials});
    auto* clear = addAction(usersFilter, "ActionClearFilter", &TFormUserManagement::ClearFilterClick);
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    clear->setShortcutContext(Qt::WidgetShortcut);  // Esc is handled by the window itself
    views_[size_t(Grid::RoleFilter)]->addAction(clear);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(kStartDelayMs);
    connect(TimerStart, &QTimer::timeout, this, &TFormUserManagement::TimerStartTimer);
    TimerFilter = new QTimer(this);
    TimerFilter->setObjectName(QStringLiteral("TimerFilter"));
    TimerFilter->setSingleShot(true);
    TimerFilter->setInterval(kFilterDelayMs);
    connect(TimerFilter, &QTimer::timeout, this, &TFormUserManagement::TimerFilterTimer);
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { TimerStart->start(); });

    connect(SpeedButtonClose, &QToolButton::clicked, this, &TFormUserManagement::reject);
    connect(SpeedButtonPrint, &QToolButton::clicked, this, &TFormUserManagement::SpeedButtonPrintClick);
    connect(SpeedButtonCopy, &QToolButton::clicked, this, &TFormUserManagement::SpeedButtonCopyClick);
    connect(SpeedButtonSave, &QToolButton::clicked, this, &TFormUserManagement::SpeedButtonSaveClick);
    connect(SpeedButtonRefresh, &QToolButton::clicked, this, &TFormUserManagement::SpeedButtonRefreshClick);
    connect(SpeedButtonImport, &QToolButton::clicked, this, &TFormUserManagement::SpeedButtonImportClick);
    connect(SpeedButtonExport, &QToolButton::clicked, this, &TFormUserManagement::SpeedButtonExportClick);
    connect(SpeedButtonSaveChanges, &QToolButton::clicked, this,
            &TFormUserManagement::SpeedButtonSaveChangesClick);
    connect(ButtonAddUser, &QPushButton::clicked, this, &TFormUserManagement::ButtonAddUserClick);
    connect(ButtonEditUser, &QPushButton::clicked, this, &TFormUserManagement::ButtonEditUserClick);
    connect(ButtonAddRole, &QPushButton::clicked, this, &TFormUserManagement::ButtonAddRoleClick);
    connect(ButtonEditRole, &QPushButton::clicked, this, &TFormUserManagement::ButtonEditRoleClick);
    connect(ButtonRemoveRole, &QPushButton::clicked, this, &TFormUserManagement::ButtonRemoveRoleClick);
    connect(CheckBoxShowKorvaneUsers, &QCheckBox::clicked, this,
            &TFormUserManagement::CheckBoxShowKorvaneUsersClick);
    connect(CheckBoxShowDisabledUsers, &QCheckBox::clicked, this,
            &TFormUserManagement::CheckBoxShowDisabledUsersClick);
    connect(CheckBoxShowInactiveUsers, &QCheckBox::clicked, this,
            &TFormUserManagement::CheckBoxShowInactiveUsersClick);
    connect(ComboBoxOrganisation, &QComboBox::activated, this,
            &TFormUserManagement::ComboBoxOrganisationChange);
    for (Grid filter : {Grid::UserFilter, Grid::RoleFilter})
        connect(views_[size_t(filter)]->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { TimerFilter->start(); });
    for (QTabWidget* pages : {PageControlMain, PageControlUsers, PageControlUserRoles})
        connect(pages, &QTabWidget::currentChanged, this, [this] {
            refreshShownGrid();
            showDescription();
            enableCommands();
        });

    // Enter in a grid is no click on a button.
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);

    enableCommands();
}

bool TFormUserManagement::LoadTexts(text::TextTables& texts) {
    return texts.load(text::Slot::Window, QLatin1String(text::kUserManagementFile));
}

bool TFormUserManagement::setCaptions() {
    text::TextTables& texts = context_.texts();
    if (!LoadTexts(texts)) return false;
    setWindowTitle(text(kTextCaption));
    const std::pair<QToolButton*, QString> tools[] = {
        {SpeedButtonClose, text(kTextClose)},     {SpeedButtonPrint, text(kTextPrint)},
        {SpeedButtonCopy, text(kTextCopy)},       {SpeedButtonSave, text(kTextSaveFile)},
        {SpeedButtonRefresh, text(kTextRefresh)}, {SpeedButtonSaveChanges, text(kTextSaveChanges)},
        {SpeedButtonImport, text(kTextImport)},   {SpeedButtonExport, text(kTextExport)},
    };
    for (const auto& [button, hint] : tools) ui::setHint(button, hint);
    PageControlMain->setTabText(0, text(kTextUsers));
    PageControlMain->setTabText(1, text(kTextUserRoles));
    for (int i = 0; i < int(std::size(kUserPages)); ++i) {
        PageControlUsers->setTabText(i, text(kUserPages[i].caption));
        ui::nameAfter(views_[size_t(kUserPages[i].grid)],
                      PageControlMain->tabText(0) + u' ' + PageControlUsers->tabText(i));
    }
    for (int i = 0; i < int(std::size(kRolePages)); ++i) {
        PageControlUserRoles->setTabText(i, text(kRolePages[i].caption));
        ui::nameAfter(views_[size_t(kRolePages[i].grid)],
                      PageControlMain->tabText(1) + u' ' + PageControlUserRoles->tabText(i));
    }
    ui::nameAfter(PageControlMain, windowTitle());
    ui::nameAfter(PageControlUsers, PageControlMain->tabText(0));
    ui::nameAfter(PageControlUserRoles, PageControlMain->tabText(1));
    ButtonAddUser->setText(text(kTextAddUser));
    ButtonEditUser->setText(text(kTextEditUser));
    ButtonAddRole->setText(text(kTextAddRole));
    ButtonEditRole->setText(text(kTextEditRole));
    ButtonRemoveRole->setText(text(kTextRemoveRole));
    LabelOrganisation->setText(text(kTextFilterOrganisation));
    ui::nameAfter(ComboBoxOrganisation, LabelOrganisation->text());
    CheckBoxShowKorvaneUsers->setText(text(kTextShowKorvane));
    CheckBoxShowDisabledUsers->setText(text(kTextShowDisabled));
    CheckBoxShowInactiveUsers->setText(text(kTextShowInactive));
    LabelDescription->setText(text(kTextDescription));
    ui::nameAfter(MemoDescription, LabelDescription->text());
    ui::nameAfter(views_[size_t(Grid::UserFilter)], text(kTextUsers));
    ui::nameAfter(views_[size_t(Grid::RoleFilter)], text(kTextUserRoles));
    for (const auto& commands :
         {std::span<const MenuCommand>(kUserLevelCommands), std::span<const MenuCommand>(kRoleLevelCommands),
          std::span<const MenuCommand>(kOtherCommands)})
        for (const MenuCommand& command : commands)
            if (QAction* a = action(command.name)) a->setText(text(command.caption));
    if (ComboBoxOrganisation->count() > 0) ComboBoxOrganisation->setItemText(0, text(kTextAllOrganisations));
    return true;
}

void TFormUserManagement::Prepare(int administratorId) {
    TimerStart->stop();
    TimerFilter->stop();
    administratorId_ = administratorId;
    // A new opening starts from what the database holds.
    administration_.users.setLoaded({});
    administration_.roles.setLoaded({});
    administration_.catalogue = {};
    view_.selectedUsers.clear();
    view_.selectedRoles.clear();
    for (Grid filter : {Grid::UserFilter, Grid::RoleFilter}) views_[size_t(filter)]->clearSelection();
    view_.oldUserColumns = administration_.settings().oldUserColumns();
    view_.templateTypes = context_.IsDatabaseVersionAtLeast(QStringLiteral("3.3.0.0"));
    PageControlMain->setCurrentIndex(0);
    PageControlUsers->setCurrentIndex(0);
    PageControlUserRoles->setCurrentIndex(0);
    rebuild();
    firstShow_->prepare();
}

int TFormUserManagement::Execute(int administratorId) {
    Prepare(administratorId);
    return exec();
}

QString TFormUserManagement::settingsFile() const {
    return settingsFile_.isEmpty() ? users::SettingsFilePath(context_.session().BaseDir) : settingsFile_;
}

void TFormUserManagement::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && !open_) {
        open_ = true;
        setCaptions();
        if (!settingsRead_) {
            settingsRead_ = true;
            users::UserManagementSettings defaults;
            defaults.organisation = text(kTextAllOrganisations);
            settings_ = users::ReadSettingsFile(settingsFile(), defaults);
            applySettings();
        }
        // The host's session stays unlocked while administrators work here.
        if (auto* monitor = context_.windows().activity) {
            monitorWasRunning_ = monitor->isRunning();
            monitor->StartMonitor();
        }
    }
    QDialog::showEvent(event);
}

void TFormUserManagement::applySettings() {
    const QSignalBlocker b1(CheckBoxShowKorvaneUsers), b2(CheckBoxShowDisabledUsers),
        b3(CheckBoxShowInactiveUsers), b4(ComboBoxOrganisation);
    view_.showNames = settings_.showNames;
    action("ActionShowUserName")->setChecked(settings_.showNames);
    action("ActionShowInitials")->setChecked(!settings_.showNames);
    CheckBoxShowKorvaneUsers->setChecked(settings_.showKorvaneUsers);
    CheckBoxShowDisabledUsers->setChecked(settings_.showDisabledUsers);
    CheckBoxShowInactiveUsers->setChecked(settings_.showInactiveUsers);
    view_.showDisabled = settings_.showDisabledUsers;
    view_.showInactive = settings_.showInactiveUsers;
    administration_.setShowKorvaneUsers(settings_.showKorvaneUsers);
    // Until the organisations are loaded the stored one stands alone.
    const QString all = text(kTextAllOrganisations);
    ComboBoxOrganisation->clear();
    ComboBoxOrganisation->addItem(all);
    if (settings_.organisation != all && !settings_.organisation.isEmpty()) {
        ComboBoxOrganisation->addItem(settings_.organisation);
        ComboBoxOrganisation->setCurrentIndex(1);
        view_.organisation = settings_.organisation;
    } else {
        view_.organisation.clear();
    }
}

void TFormUserManagement::storeSettings() {
    settings_.showNames = view_.showNames;
    settings_.showKorvaneUsers = CheckBoxShowKorvaneUsers->isChecked();
    settings_.showDisabledUsers = CheckBoxShowDisabledUsers->isChecked();
    settings_.showInactiveUsers = CheckBoxShowInactiveUsers->isChecked();
    settings_.organisationIndex = std::max(0, ComboBoxOrganisation->currentIndex());
    settings_.organisation = ComboBoxOrganisation->currentIndex() > 0 ? ComboBoxOrganisation->currentText()
                                                                      : text(kTextAllOrganisations);
    // A settings file that cannot be written only costs the next opening its view.
    (void)users::WriteSettingsFile(settingsFile(), settings_);
}

void TFormUserManagement::fillOrganisations() {
    const QSignalBlocker blocker(ComboBoxOrganisation);
    const QString wanted = view_.organisation;
    ComboBoxOrganisation->clear();
    ComboBoxOrganisation->addItem(text(kTextAllOrganisations));
    ComboBoxOrganisation->addItems(users::Organisations(administration_.users));
    const int index = wanted.isEmpty() ? 0 : ComboBoxOrganisation->findText(wanted);
    // An organisation nobody has any more filters nothing.
    ComboBoxOrganisation->setCurrentIndex(std::max(0, index));
    if (index <= 0) view_.organisation.clear();
}

void TFormUserManagement::TimerStartTimer() {
    TimerStart->stop();
    reload();
}

bool TFormUserManagement::reload() {
    loading_ = true;
    enableCommands();
    administration_.setShowKorvaneUsers(CheckBoxShowKorvaneUsers->isChecked());
    bool ok = false;
    {
        administration_.beginStatus(kTextLoading);
        ok = administration_.load([this](int position) { administration_.setProgress(position); });
        if (ok) {
            administration_.setProgress(90);
            fillOrganisations();
            rebuild();
            administration_.setProgress(100);
        }
        administration_.endStatus();
    }
    loading_ = false;
    enableCommands();
    focusFirstRow(activeGrid());
    Q_EMIT loaded(ok);
    return ok;
}

Grid TFormUserManagement::activeGrid() const {
    if (PageControlMain->currentIndex() == 0)
        return kUserPages[std::clamp(PageControlUsers->currentIndex(), 0, int(std::size(kUserPages)) - 1)]
            .grid;
    return kRolePages[std::clamp(PageControlUserRoles->currentIndex(), 0, int(std::size(kRolePages)) - 1)]
        .grid;
}

void TFormUserManagement::showGrid(Grid grid) {
    for (int i = 0; i < int(std::size(kUserPages)); ++i)
        if (kUserPages[i].grid == grid) {
            PageControlMain->setCurrentIndex(0);
            PageControlUsers->setCurrentIndex(i);
        }
    for (int i = 0; i < int(std::size(kRolePages)); ++i)
        if (kRolePages[i].grid == grid) {
            PageControlMain->setCurrentIndex(1);
            PageControlUserRoles->setCurrentIndex(i);
        }
}

bool TFormUserManagement::hasPendingChanges() const {
    return !users::PlanSave(administration_.users).empty() || !users::PlanSave(administration_.roles).empty();
}

std::vector<int> TFormUserManagement::selectedIds(Grid grid, const char* field) const {
    const db::DataSet& set = sets_[size_t(grid)];
    const int column = set.fieldIndex(QLatin1String(field));
    std::vector<int> ids;
    if (column < 0) return ids;
    QTableView* view = views_[size_t(grid)];
    QModelIndexList rows = view->selectionModel()->selectedRows();
    if (rows.isEmpty() && view->currentIndex().isValid()) rows << view->currentIndex();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        if (index.row() < set.recordCount()) ids.push_back(set.valueAt(index.row(), column).toInt());
    return ids;
}

std::vector<users::RightsRow> TFormUserManagement::selectedRightsRows(Grid grid) const {
    const std::vector<int> owners = selectedIds(grid, users::kOwnerField);
    const std::vector<int> items = selectedIds(grid, users::kItemField);
    std::vector<users::RightsRow> rows;
    for (size_t i = 0; i < owners.size() && i < items.size(); ++i) rows.push_back({owners[i], items[i]});
    return rows;
}

void TFormUserManagement::focusFirstRow(Grid grid) {
    QTableView* view = views_[size_t(grid)];
    if (models_[size_t(grid)]->rowCount() == 0) return;
    view->selectionModel()->setCurrentIndex(models_[size_t(grid)]->index(0, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TFormUserManagement::showDescription() {
    const Grid grid = activeGrid();
    const db::DataSet& set = sets_[size_t(grid)];
    const int column = set.fieldIndex(QLatin1String(users::kDescriptionField));
    const int row = views_[size_t(grid)]->currentIndex().row();
    MemoDescription->setPlainText(
        column >= 0 && row >= 0 && row < set.recordCount() ? set.valueAt(row, column).toString() : QString());
}

void TFormUserManagement::enableCommands() {
    const bool on = !loading_;
    for (QWidget* w : std::initializer_list<QWidget*>{SpeedButtonRefresh, SpeedButtonSaveChanges,
                                                      SpeedButtonImport, SpeedButtonExport,
                                                      ButtonAddUser, PageControlMain})
        w->setEnabled(on);
    // The shown grid's rows are on their way: nothing to print yet.
    const bool shown = on && !isBuilding(activeGrid());
    for (QWidget* w : {SpeedButtonPrint, SpeedButtonCopy, SpeedButtonSave}) w->setEnabled(shown);
    const bool user = on && views_[size_t(Grid::UserDetails)]->currentIndex().isValid();
    ButtonEditUser->setEnabled(user);
    // Users have a level of their own only on older databases.
    for (const MenuCommand& command : kUserLevelCommands)
        action(command.name)->setEnabled(user && view_.oldUserColumns);
    action("ActionSetOrganisation")->setEnabled(user);
    const int roleRow = views_[size_t(Grid::RoleDetails)]->currentIndex().row();
    const db::DataSet& roles = sets_[size_t(Grid::RoleDetails)];
    const bool role = on && roleRow >= 0 && roleRow < roles.recordCount();
    const bool locked = role && roles.valueAt(roleRow, roles.fieldIndex(QStringLiteral("Locked"))).toBool();
    ButtonAddRole->setEnabled(on);
    ButtonEditRole->setEnabled(role && !locked);
    ButtonRemoveRole->setEnabled(role);
}
