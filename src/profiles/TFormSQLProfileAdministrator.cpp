#include "profiles/TFormSQLProfileAdministrator.h"

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "app/SessionReader.h"
#include "app/TFormSessionLocked.h"
#include "app/TFormXML.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "categorization/TFormDeratingCatagoryAllocation.h"
#include "db/VersionGate.h"
#include "profiles/TFormUtil.h"
#include "ui/AccessibleNames.h"
#include "ui/DataSetModel.h"
#include "ui/LazyIcon.h"
#include "ui/ToolButtons.h"
#include "users/TFormUserManagement.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Text numbers of SQL_ReportProfile.txt for the window's captions.
enum CaptionText {
    TextGroupProfiles = 601,
    TextColumnTitle = 602,
    TextColumnLocked = 603,
    TextColumnStartDate = 604,
    TextColumnAutoGenerate = 605,
    TextColumnStatus = 606,
    TextDescription = 607,
    TextGroupOverall = 617,
    TextErrorCaption = 64,
    TextNotAvailable = 9050,
};

// How long the start-up sequence waits for the first paint of a window that
// is shown but not painted.
constexpr int kStartWithoutPaintMs = 50;

// Hints.txt
constexpr int kHintClose = 0;
constexpr int kHintPrint = 22;
constexpr int kHintRefresh = 39;

const QStringList kListColumns = {QStringLiteral("ReportProfileTitle"), QStringLiteral("LockText"),
                                  QStringLiteral("ReportProfileShadowDataStartPCTimeStamp"),
                                  QStringLiteral("AutoGenerateText"), QStringLiteral("StatusText")};
// Caption numbers of the list columns, in the order above.
constexpr int kColumnTexts[] = {TextColumnTitle, TextColumnLocked, TextColumnStartDate,
                                TextColumnAutoGenerate, TextColumnStatus};

}  // namespace

TFormSQLProfileAdministrator::TFormSQLProfileAdministrator(app::AppContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context), statusTexts_([this](int n) { return text(n); }) {
    setObjectName(QStringLiteral("TFormSQLProfileAdministrator"));
    setWindowTitle(QStringLiteral("Profile administrator"));

    // Calculated columns of the list; they stay defined across reopening.
    TableReportProfile.addCalculatedField(
        QStringLiteral("StatusText"), db::FieldType::String, [this](const db::RowView& row) {
            return QVariant(
                statusTexts_.statusText(row.value(QStringLiteral("ReportProfileStatus")),
                                        row.value(QStringLiteral("ReportProfileRegeneratePendingFlag"))));
        });
    TableReportProfile.addCalculatedField(
        QStringLiteral("LockText"), db::FieldType::String, [this](const db::RowView& row) {
            return QVariant(profiles::lockText(row.value(QStringLiteral("ReportProfileLocked")),
                                               [this](int n) { return text(n); }));
        });
    TableReportProfile.addCalculatedField(
        QStringLiteral("AutoGenerateText"), db::FieldType::String, [this](const db::RowView& row) {
            return QVariant(
                profiles::autoGenerateText(row.value(QStringLiteral("ReportProfileJobScheduleEnabled")),
                                           [this](int n) { return text(n); }));
        });

    buildUi();
    // Until the texts are loaded the grid shows its columns under their
    // design captions.
    clearProfileList();
    setColumnCaptions({QStringLiteral("Title"), QStringLiteral("Locked"), QStringLiteral("Start date"),
                       QStringLiteral("Auto generate shadow data"), QStringLiteral("Shadow data status")});

    // The start-up sequence runs once the window has painted: the first
    // paint sets the timer to fire at once, queued behind that paint. The
    // interval it starts with only serves a window shown without being
    // painted (minimised).
    TimerStart = new QTimer(this);
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(kStartWithoutPaintMs);
    connect(TimerStart, &QTimer::timeout, this, [this] { TimerStartTimer(); });
    TimerClose = new QTimer(this);
    TimerClose->setSingleShot(true);
    TimerClose->setInterval(50);
    connect(TimerClose, &QTimer::timeout, this, [this] { QMainWindow::close(); });
    TimerRegenationStatus = new QTimer(this);
    TimerRegenationStatus->setInterval(1000);
    connect(TimerRegenationStatus, &QTimer::timeout, this, [this] { TimerRegenationStatusTimer(); });

    SetCommandsEnabled(false);
}

TFormSQLProfileAdministrator::~TFormSQLProfileAdministrator() {
    if (context_.windows().util) context_.windows().util->setProfileList(nullptr);
    // The model listens to the list; it goes first.
    DBGridReportProfile->setModel(nullptr);
    profileModel_.reset();
}

void TFormSQLProfileAdministrator::setDialogs(const MainWindowDialogs& dialogs) {
    dialogs_ = dialogs;
    const auto takeImportAndRemap = [this](categorization::CategoryAllocationWindow& window) {
        window.setImportAndRemapAllowed(importAndRemap_);
    };
    dialogs_.categoryAllocation.whenMade(takeImportAndRemap);
    dialogs_.deratingAllocation.whenMade(takeImportAndRemap);
    if (dialogs_.closingWindow)
        connect(dialogs_.closingWindow, &TFormXML::closeMainWindow, this, [this] { close(); });
}

QString TFormSQLProfileAdministrator::text(int number) { return context_.texts().profile(number); }

void TFormSQLProfileAdministrator::buildUi() {
    auto* toolBar = addToolBar(QStringLiteral("ToolBar"));
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    SpeedButtonPrint =
        ui::makeToolButton(this, "SpeedButtonPrint", nullptr, QStyle::SP_FileDialogDetailedView, 24);
    SpeedButtonRefresh =
        ui::makeToolButton(this, "SpeedButtonRefresh", nullptr, QStyle::SP_BrowserReload, 24);
    SpeedButtonClose =
        ui::makeToolButton(this, "SpeedButtonClose", nullptr, QStyle::SP_DialogCloseButton, 24);
    toolBar->addWidget(SpeedButtonPrint);
    toolBar->addWidget(SpeedButtonRefresh);
    toolBar->addSeparator();
    toolBar->addWidget(SpeedButtonClose);
    SpeedButtonRefresh->setToolTip(QStringLiteral("Refresh"));
    connect(SpeedButtonRefresh, &QToolButton::clicked, this, [this] { runCommand([this] { Refresh(); }); });
    connect(SpeedButtonClose, &QToolButton::clicked, this,
            &TFormSQLProfileAdministrator::SpeedButtonCloseClick);
    connect(SpeedButtonPrint, &QToolButton::clicked, this,
            &TFormSQLProfileAdministrator::SpeedButtonPrintClick);

    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);

    GroupBoxProfiles = new QGroupBox(QStringLiteral("Report Profile Configuration"), central);
    GroupBoxProfiles->setObjectName(QStringLiteral("GroupBoxProfiles"));
    auto* profileLayout = new QHBoxLayout(GroupBoxProfiles);
    auto* listColumn = new QVBoxLayout;
    DBGridReportProfile = new QTableView(GroupBoxProfiles);
    DBGridReportProfile->setObjectName(QStringLiteral("DBGridReportProfile"));
    DBGridReportProfile->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridReportProfile->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridReportProfile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridReportProfile->setAlternatingRowColors(true);
    DBGridReportProfile->verticalHeader()->setDefaultSectionSize(22);
    DBGridReportProfile->verticalHeader()->hide();
    DBGridReportProfile->horizontalHeader()->setStretchLastSection(true);
    profileModel_ = std::make_unique<ui::DataSetModel>(TableReportProfile);
    profileModel_->setColumnOrder(kListColumns);
    DBGridReportProfile->setModel(profileModel_.get());
    connect(DBGridReportProfile->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid() && index.row() != TableReportProfile.currentRow())
                    TableReportProfile.moveTo(index.row());
            });
    connect(profileModel_.get(), &ui::DataSetModel::currentRowMoved, this, [this](int row) {
        if (row >= 0) {
            const auto index = profileModel_->index(row, 0);
            if (DBGridReportProfile->currentIndex().row() != row)
                DBGridReportProfile->selectionModel()->setCurrentIndex(
                    index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        selectionChanged();
    });
    listColumn->addWidget(DBGridReportProfile, 3);
    LabelDescription = new QLabel(QStringLiteral("Description:"), GroupBoxProfiles);
    LabelDescription->setObjectName(QStringLiteral("LabelDescription"));
    listColumn->addWidget(LabelDescription);
    ProfileMemo = new QPlainTextEdit(GroupBoxProfiles);
    ProfileMemo->setObjectName(QStringLiteral("ProfileMemo"));
    ProfileMemo->setReadOnly(true);
    ProfileMemo->setMaximumHeight(90);
    listColumn->addWidget(ProfileMemo, 1);
    profileLayout->addLayout(listColumn, 1);

    const auto addLinks = [this](QWidget* box, QGridLayout* grid,
                                 std::initializer_list<ui::CommandLink*> links) {
        int row = grid->rowCount();
        for (auto* link : links) {
            link->button->setParent(box);
            link->label->setParent(box);
            grid->addWidget(link->button, row, 0);
            grid->addWidget(link->label, row, 1);
            ++row;
        }
        grid->setRowStretch(row, 1);
    };
    using Self = TFormSQLProfileAdministrator;
    commands_ = {
        {&EditProfile, "EditProfileButton", "ActionProfileProperties", "document-properties", 608,
         "Profile &properties", &Self::ActionProfilePropertiesExecute},
        {&EditUnits, "EditUnitsButton", "ActionSelectAndEditUnits", "view-list-details", 609,
         "&Select and edit units", &Self::ActionSelectAndEditUnitsExecute},
        {&CategoryEvent, "CategoryEventButton", "ActionCategorizeEvents", "view-sort-ascending", 610,
         "Categori&zation", &Self::ActionCategorizeEventsExecute},
        {&RegenerateShadow, "RegenerateShadowButton", "ActionRegenerateShadowData", "view-refresh", 611,
         "Regenerate shadow &data", &Self::ActionRegenerateShadowDataExecute},
        {&RemoveProfile, "RemoveProfileButton", "ActionRemoveProfile", "edit-delete", 612, "&Remove profile",
         &Self::ActionRemoveProfileExecute},
        {&CreateProfile, "SpeedButtonCreateProfile", "ActionCreateNewProfile", "document-new", 613,
         "Create &new profile", &Self::ActionCreateNewProfileExecute},
        {&CategoryConfiguration, "SpeedButtonCategoryConfiguration", "ActionCategoryConfiguration",
         "preferences-other", 614, "&Category configuration", &Self::ActionCategoryConfigurationExecute},
        {&UnlockProfile, "UnlockProfileSpeddButton", "ActionUnlockProfile", "object-unlocked", 615,
         "Un&lock profile", &Self::ActionUnlockProfileExecute},
        {&ShadowDataLocks, "ShadowDataLocksSpeedButton", "ActionShadowDataLock", "object-locked", 616,
         "Shado&w data sign-off", &Self::ActionShadowDataLockExecute},
        {&NormCurve, "SpeedButtonNormCurve", "ActionNormCurveEditor", "office-chart-line", 618,
         "Reference curve edit&or", &Self::ActionNormCurveEditorExecute},
        {&ValidationParameters, "SpeedButtonValidationParameters", "ActionValidationParameterEditor",
         "games-config-options", 619, "&Validation parameter editor",
         &Self::ActionValidationParameterEditorExecute},
        {&UserAccess, "SpeedButtonUserAccess", "ActionUserAccessSetup", "system-users", 620,
         "Profile and template &access", &Self::ActionUserAccessSetupExecute},
        {&FreeWindParameters, "SpeedButtonFreeWindParameters", "ActionFreewindParameterEditor",
         "weather-windy", 621, "&Free wind parameter editor", &Self::ActionFreewindParameterEditorExecute},
        {&WindSectorEditor, "SpeedButtonWindSectorEditor", "ActionWindExclusionEditor", "weather-storm", 622,
         "&Wind exclusion sector editor", &Self::ActionWindExclusionEditorExecute},
        {&ContractConfiguration, "SpeedButtonContractConfiguration", "ActionContractConfiguration",
         "document-edit", 623, "&Contract configuration", &Self::ActionContractConfigurationExecute},
    };
    // One arrow for every command the icon theme has no picture of.
    const QIcon arrow = ui::standardIcon(QStyle::SP_ArrowRight);
    for (const Command& command : commands_) {
        *command.link = ui::CommandLink::create(this, QLatin1String(command.buttonName),
                                                QLatin1String(command.actionName),
                                                QLatin1String(command.iconName), arrow);
        command.link->setCaption(QLatin1String(command.designCaption));
        if (command.execute)
            command.link->bindTo(this, [this, execute = command.execute] { (this->*execute)(); });
    }

    auto* commandGrid = new QGridLayout;
    profileLayout->addLayout(commandGrid);
    addLinks(GroupBoxProfiles, commandGrid,
             {&EditProfile, &EditUnits, &CategoryEvent, &RegenerateShadow, &RemoveProfile, &CreateProfile,
              &CategoryConfiguration, &UnlockProfile, &ShadowDataLocks});
    outer->addWidget(GroupBoxProfiles, 1);

    GroupBoxOverall = new QGroupBox(QStringLiteral("Overall Configuration"), central);
    GroupBoxOverall->setObjectName(QStringLiteral("GroupBoxOverall"));
    auto* overallGrid = new QGridLayout(GroupBoxOverall);
    const std::initializer_list<ui::CommandLink*> overall = {&NormCurve,        &ValidationParameters,
                                                             &UserAccess,       &FreeWindParameters,
                                                             &WindSectorEditor, &ContractConfiguration};
    int index = 0;
    for (auto* link : overall) {
        link->button->setParent(GroupBoxOverall);
        link->label->setParent(GroupBoxOverall);
        overallGrid->addWidget(link->button, index / 3, (index % 3) * 2);
        overallGrid->addWidget(link->label, index / 3, (index % 3) * 2 + 1);
        ++index;
    }
    outer->addWidget(GroupBoxOverall);
    setCentralWidget(central);

    StatusBarPanel = new QLabel(this);
    StatusBarPanel->setObjectName(QStringLiteral("StatusBar1Panel"));
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusBarPanel, 1);
    statusBar()->hide();

    resize(980, 620);
}

void TFormSQLProfileAdministrator::setCaptions() {
    GroupBoxProfiles->setTitle(text(TextGroupProfiles));
    GroupBoxOverall->setTitle(text(TextGroupOverall));
    LabelDescription->setText(text(TextDescription));
    const QString notAvailable = text(TextNotAvailable);
    for (const Command& command : commands_) {
        const QString caption = text(command.captionText);
        command.link->setCaption(caption);
        // The version gates give their own hint where they disable a command.
        command.link->setHint(command.execute ? QString(caption).remove(QLatin1Char('&')) : notAvailable);
    }
    QStringList columns;
    for (const int number : kColumnTexts) columns << text(number);
    setColumnCaptions(columns);
    auto& texts = context_.texts();
    ui::setHint(SpeedButtonClose, texts.hint(kHintClose));
    ui::setHint(SpeedButtonPrint, texts.hint(kHintPrint));
    ui::setHint(SpeedButtonRefresh, texts.hint(kHintRefresh));
    ui::nameAfter(DBGridReportProfile, GroupBoxProfiles->title());
}

void TFormSQLProfileAdministrator::setColumnCaptions(const QStringList& captions) {
    for (int i = 0; i < kListColumns.size() && i < captions.size(); ++i)
        TableReportProfile.setDisplayLabel(kListColumns[i], captions[i]);
}

void TFormSQLProfileAdministrator::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    if (auto* monitor = context_.windows().activity) monitor->StartMonitor();
    startAfterPaint_ = true;
    TimerStart->start();
}

bool TFormSQLProfileAdministrator::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::Paint && startAfterPaint_) {
        startAfterPaint_ = false;
        TimerStart->start(0);
    }
    return handled;
}

void TFormSQLProfileAdministrator::showWait(const QString& waitText) {
    if (auto* util = context_.windows().util) util->ShowWait(waitText);
}

void TFormSQLProfileAdministrator::hideWait() {
    if (auto* util = context_.windows().util) util->HideWait();
}

void TFormSQLProfileAdministrator::showError(const QString& message) {
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + message);
    context_.prompts().message(ui::Icon::Error, message, text(TextErrorCaption));
}

bool TFormSQLProfileAdministrator::TimerStartTimer() {
    // 1. Start from closed connections.
    TimerStart->stop();
    started_ = false;
    contractsGate_ = false;
    context_.closeConnections();
    clearProfileList();
    current_ = {};
    ProfileMemo->clear();
    SetCommandsEnabled(false);
    showWait(QStringLiteral("Reading startup information"));

    // 2.-4. The session, the trace level, the language texts and captions.
    auto& session = context_.session();
    if (!app::ReadSession(session, context_.prompts())) {
        hideWait();
        Q_EMIT startupFinished(false);
        return false;
    }
    context_.trace().SetTraceLevel(session.TraceLevel);
    context_.texts().setLocation(session.SysDir, session.Language);
    if (!context_.texts().loadStartup()) {
        hideWait();
        Q_EMIT startupFinished(false);
        return false;
    }
    setCaptions();

    // 5. The user management's captions come from its own language file.
    if (dialogs_.userManagement && !TFormUserManagement::LoadTexts(context_.texts())) {
        hideWait();
        Q_EMIT startupFinished(false);
        return false;
    }

    // 6. Only an online session has a database.
    if (session.Online != QLatin1String("YES")) {
        hideWait();
        TimerClose->start();
        Q_EMIT startupFinished(false);
        return false;
    }

    // 7.-9. Unit types, version gates, connections.
    app::BuildUnitTypes(session);
    applyVersionGates();
    QString error;
    if (!context_.openConnections(&error)) {
        hideWait();
        showError(error);
        TimerClose->start();
        Q_EMIT startupFinished(false);
        return false;
    }

    // 10.-11. The user's rights are the session's feature codes; then the list.
    showWait(QStringLiteral("Reading user rights..."));
    showWait(QStringLiteral("Reading profiles..."));
    if (!openProfileList()) {
        hideWait();
        Q_EMIT startupFinished(false);
        return false;
    }

    // 12.
    hideWait();
    const auto& online = session.OnlineConnection;
    StatusBarPanel->setText(QStringLiteral("User Login : [") + session.UserInit +
                            QStringLiteral("] Connected to ") + online.DataSource +
                            QStringLiteral(" Catalog ") + online.Catalog + QStringLiteral(" LoginName ") +
                            online.UserName);
    statusBar()->show();
    if (auto* util = context_.windows().util) util->setProfileList(&TableReportProfile);
    started_ = true;
    selectionChanged();
    context_.trace().Trace(app::TraceLevel::Info, QStringLiteral("Start-up finished"));
    Q_EMIT startupFinished(true);
    return true;
}

void TFormSQLProfileAdministrator::applyVersionGates() {
    // Which commands the database offers; the enabling rules switch them.
    const auto hint = [](const char* threshold) { return db::versionGateHint(QLatin1String(threshold)); };
    contractsGate_ = context_.IsDatabaseVersionAtLeast(QStringLiteral("3.9.3.10"));
    if (!contractsGate_) ContractConfiguration.setHint(hint("3.9.3.10"));

    const bool signOff =
        context_.IsDatabaseVersionAtLeast(QStringLiteral("3.7.0.0")) && context_.HasFeature(146);
    if (!signOff) ShadowDataLocks.setHint(hint("3.7.0.0"));

    if (!context_.IsDatabaseVersionAtLeast(QStringLiteral("2.30.0.0")))
        WindSectorEditor.setHint(hint("2.30.0.0"));

    if (!context_.IsDatabaseVersionAtLeast(QStringLiteral("3.0.0.0"))) {
        CategoryConfiguration.setHint(hint("3.0.0.0"));
        CategoryEvent.setHint(hint("3.0.0.0"));
    }
}

void TFormSQLProfileAdministrator::listOpened() {
    for (int row = 0; row < TableReportProfile.recordCount(); ++row)
        statusTexts_.observe(
            TableReportProfile.rowView(row).value(QStringLiteral("ReportProfileStatus")).toInt());
    DBGridReportProfile->resizeColumnsToContents();
}

bool TFormSQLProfileAdministrator::openProfileList() {
    auto* connection = context_.Database().get();
    if (!connection) return false;
    db::Command select;
    select.text = QStringLiteral("DCE_SP_SelectProfiles %1, 3").arg(context_.session().UserId);
    if (TableReportProfile.open(*connection, select)) {
        listOpened();
        return true;
    }
    context_.trace().Trace(app::TraceLevel::Warning,
                           QStringLiteral("Caught Exception: ") + TableReportProfile.lastError());
    TableReportProfile.close();
    db::Command fallback;
    fallback.text =
        QStringLiteral(
            "SELECT RP.ReportProfileId, RP.ReportProfileTitle, RP.ReportProfileLocked, "
            "RP.ReportProfileIdentifier, "
            "RP.ReportProfileVersion, RP.ReportProfileJobScheduleEnabled, RP.ReportProfileStatus, "
            "RP.ReportProfileRegeneratePendingFlag, RP.ReportProfileDescription, "
            "RP.ReportProfileShadowDataStartPCTimeStamp FROM TReportProfile AS RP INNER JOIN "
            "TUser_TReportProfile "
            "URP on RP.ReportProfileId=URP.ReportProfileId WHERE URP.UserId = %1 ORDER BY "
            "RP.[ReportProfileId]")
            .arg(context_.session().UserId);
    if (TableReportProfile.open(*connection, fallback)) {
        listOpened();
        return true;
    }
    const auto message = TableReportProfile.lastError();
    clearProfileList();
    hideWait();
    showError(message);
    return false;
}

void TFormSQLProfileAdministrator::clearProfileList() {
    db::ResultSet empty;
    empty.columns = {{QStringLiteral("ReportProfileTitle"), db::FieldType::String},
                     {QStringLiteral("ReportProfileShadowDataStartPCTimeStamp"), db::FieldType::DateTime}};
    TableReportProfile.setRows(std::move(empty));
}

bool TFormSQLProfileAdministrator::hasRows() const {
    return TableReportProfile.isOpen() && TableReportProfile.recordCount() > 0;
}

void TFormSQLProfileAdministrator::selectionChanged() {
    const int row = TableReportProfile.currentRow();
    if (row >= 0 && DBGridReportProfile->currentIndex().row() != row)
        DBGridReportProfile->selectionModel()->setCurrentIndex(
            profileModel_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!context_.session().Loaded) return;
    current_ = profiles::readCurrentProfile(TableReportProfile, [this](const QString& threshold) {
        return context_.IsDatabaseVersionAtLeast(threshold);
    });
    ProfileMemo->setPlainText(current_.Description);
    SetCommandsEnabled(!current_.Busy);
}

void TFormSQLProfileAdministrator::SetCommandsEnabled(bool enable) {
    if (!started_) {
        // Starting, or start-up failed: nothing is offered.
        for (const Command& command : commands_) command.link->setEnabled(false);
        UnlockProfile.setVisible(true);
        return;
    }
    profiles::EnablingInputs in;
    in.enable = enable;
    in.F3 = context_.HasFeature(3);
    in.F101 = context_.HasFeature(101);
    in.F146 = context_.HasFeature(146);
    in.Empty = !hasRows();
    in.profile = current_;
    in.Db230 = context_.IsDatabaseVersionAtLeast(QStringLiteral("2.30.0.0"));
    in.Db300 = context_.IsDatabaseVersionAtLeast(QStringLiteral("3.0.0.0"));
    in.Db370 = context_.IsDatabaseVersionAtLeast(QStringLiteral("3.7.0.0"));
    const auto s = profiles::computeCommandStates(in);

    NormCurve.setEnabled(s.normCurve);
    UserAccess.setEnabled(s.userAccess);
    ValidationParameters.setEnabled(s.validation);
    FreeWindParameters.setEnabled(s.freeWind);
    CreateProfile.setEnabled(s.createProfile);
    WindSectorEditor.setEnabled(s.windSectors);
    ContractConfiguration.setEnabled(contractsGate_);

    UnlockProfile.setVisible(s.unlockVisible);
    UnlockProfile.setButtonAndLabelEnabled(s.unlockEnabled);
    UnlockProfile.action->setEnabled(s.unlockAction);
    EditProfile.setEnabled(s.properties);
    EditUnits.setEnabled(s.units);
    CategoryConfiguration.setEnabled(s.categoryConfiguration);
    CategoryEvent.setEnabled(s.categorization);
    RegenerateShadow.setEnabled(s.regenerate);
    RemoveProfile.setEnabled(s.remove);
    ShadowDataLocks.setEnabled(s.signOff);
    // An allocation window not made yet takes the flag when it is made.
    importAndRemap_ = s.importAndRemap;
    for (auto* window :
         {static_cast<categorization::CategoryAllocationWindow*>(dialogs_.categoryAllocation.ifMade()),
          static_cast<categorization::CategoryAllocationWindow*>(dialogs_.deratingAllocation.ifMade())})
        if (window) window->setImportAndRemapAllowed(importAndRemap_);

    // A command whose window is not there yet stays off whatever the rules say.
    for (const Command& command : commands_)
        if (!command.execute) command.link->setEnabled(false);
}

void TFormSQLProfileAdministrator::closeEvent(QCloseEvent* event) {
    BeforeClose();
    QMainWindow::closeEvent(event);
}

void TFormSQLProfileAdministrator::BeforeClose() {
    if (closed_) return;
    closed_ = true;
    if (auto* monitor = context_.windows().activity) monitor->StopMonitor();
    BeginCommand();
    TimerRegenationStatus->stop();
    context_.closeConnections();
    if (auto* util = context_.windows().util) util->setProfileList(nullptr);
    TableReportProfile.close();
}

// --- HostActions ---

void TFormSQLProfileAdministrator::reset() { TimerStart->start(); }

void TFormSQLProfileAdministrator::close() {
    BeforeClose();
    TimerClose->start();
}

void TFormSQLProfileAdministrator::showSessionLocked() {
    if (dialogs_.sessionLocked) dialogs_.sessionLocked->showLocked();
}

void TFormSQLProfileAdministrator::closeSessionLocked() {
    if (dialogs_.sessionLocked) dialogs_.sessionLocked->closeLocked();
}

void TFormSQLProfileAdministrator::minimise() { showMinimized(); }

void TFormSQLProfileAdministrator::restore() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void TFormSQLProfileAdministrator::connectionLost() {
    auto& session = context_.session();
    if (session.ClosingStarted) return;
    session.ClosingStarted = true;
    if (dialogs_.closingWindow)
        dialogs_.closingWindow->StartClosing();
    else
        close();
}

bool TFormSQLProfileAdministrator::wasActiveRecently() {
    auto* monitor = context_.windows().activity;
    return monitor && monitor->WasActiveRecently();
}

void TFormSQLProfileAdministrator::trace(int level, const char* traceText) {
    context_.trace().Trace(level, QString::fromUtf8(traceText));
}
