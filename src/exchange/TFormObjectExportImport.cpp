#include "exchange/TFormObjectExportImport.h"

#include "app/AppContext.h"
#include "exchange/ObjectImport.h"
#include "ui/AccessibleNames.h"
#include "ui/DataSetModel.h"
#include "users/IdList.h"
#include "users/UserAdministration.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

using exchange::PackageType;
using exchange::WizardPage;

namespace {

constexpr int kTextExportCaption = 320;
constexpr int kTextImportCaption = 321;
constexpr int kTextFirstHint = 330;  // one per page, in page order
constexpr int kTextUserDetails = 342;
constexpr int kTextFeatureAccess = 343;
constexpr int kTextRoleMemberships = 344;
constexpr int kTextTemplateAccess = 345;
constexpr int kTextPersonalUser = 350;
constexpr int kTextPersonalRole = 351;
constexpr int kTextFeatures = 352;
constexpr int kTextTemplates = 353;
constexpr int kTextMemberships = 354;
constexpr int kTextType = 370;
constexpr int kTextUserQuestion = 390;
constexpr int kTextRoleQuestion = 391;
constexpr int kTextImporting = 445;
constexpr int kTextImported = 446;
constexpr int kTextImportFailed = 447;
constexpr int kTextCancel = 9002;
constexpr int kTextInitials = 9003;
constexpr int kTextFirstName = 9006;
constexpr int kTextLastName = 9007;
constexpr int kTextOrganisation = 9008;
constexpr int kTextUserRoles = 9012;
constexpr int kTextTitle = 9013;
constexpr int kTextDescription = 9014;
constexpr int kTextAccessLevel = 9016;
constexpr int kTextUsers = 9022;
constexpr int kTextWriteFailed = 9079;
constexpr int kTextFirstPage = 9090;  // one per page, in page order
constexpr int kTextBack = 9099;
constexpr int kTextUsersPackage = 9100;
constexpr int kTextRolesPackage = 9101;
constexpr int kTextSelect = 9102;
constexpr int kTextDeselect = 9103;
constexpr int kTextYes = 9104;
constexpr int kTextNo = 9105;
constexpr int kTextReadFailed = 9106;
constexpr int kTextReadFailedCaption = 9107;
constexpr int kTextSelected = 9108;
constexpr int kTextQuestion = 9109;
constexpr int kTextProcess = 9110;
constexpr int kTextMessage = 9111;
constexpr int kTextStatus = 9112;
constexpr int kTextError = 9113;
constexpr int kTextSucceeded = 9114;
constexpr int kTextExportFile = 9115;
constexpr int kTextPackageType = 9116;
constexpr int kTextContents = 9117;
constexpr int kTextDatabaseVersion = 9118;
constexpr int kTextUnreadable = 9119;

constexpr char kSelected[] = "Selected";
constexpr char kYes[] = "Yes";
constexpr char kNo[] = "No";

db::Column column(const char* name, db::FieldType type) { return {QLatin1String(name), type, 0}; }

// Grid model that shows an object type or an outcome as an icon and a word.
class GlyphModel : public ui::DataSetModel {
public:
    using Word = std::function<QString(int)>;
    GlyphModel(db::DataSet& set, QObject* parent, const char* field,
               std::array<QStyle::StandardPixmap, 2> icons, Word word)
        : ui::DataSetModel(set, parent),
          field_(QLatin1String(field)),
          icons_(icons),
          word_(std::move(word)) {}

    QVariant data(const QModelIndex& index, int role) const override {
        const int field = fieldAt(index.column());
        if (!dataSet() || field < 0 || dataSet()->field(field).name != field_)
            return ui::DataSetModel::data(index, role);
        const int value = dataSet()->valueAt(index.row(), field).toInt();
        if (role == Qt::DecorationRole) return qApp->style()->standardIcon(icons_[value == 0 ? 0 : 1]);
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return word_(value);
        return ui::DataSetModel::data(index, role);
    }

private:
    QString field_;
    std::array<QStyle::StandardPixmap, 2> icons_;
    Word word_;
};

QLabel* buddyLabel(QWidget* parent, QWidget* buddy) {
    auto* label = new QLabel(parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TFormObjectExportImport::TFormObjectExportImport(app::AppContext& context,
                                                 users::UserAdministration& administration, QWidget* parent)
    : QDialog(parent),
      context_(context),
      administration_(administration),
      busy_(std::make_unique<app::BusyWhileOpen>(context, *this)) {
    setObjectName(QStringLiteral("TFormObjectExportImport"));
    buildUi();
}

TFormObjectExportImport::~TFormObjectExportImport() {
    // The models listen to the data sets: they go first.
    for (auto& model : models_) model.reset();
}

QString TFormObjectExportImport::text(int number) const { return context_.texts().window(number); }

QWidget* TFormObjectExportImport::gridPage(Grid grid, const char* name, bool withResult) {
    auto* page = new QWidget(PageControl);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new QTableView(page);
    view->setObjectName(QLatin1String(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    // Yes and No stay narrow; elsewhere the last column takes the room.
    view->horizontalHeader()->setStretchLastSection(grid != Conflicts);
    view->setWordWrap(false);
    db::DataSet& set = sets_[size_t(grid)];
    if (grid == Conflicts)
        models_[size_t(grid)] = std::make_unique<GlyphModel>(
            set, this, "ObjectType", std::array{QStyle::SP_DirHomeIcon, QStyle::SP_FileDialogDetailedView},
            [this](int type) { return text(type == 0 ? kTextUsers : kTextUserRoles); });
    else if (grid == Process)
        models_[size_t(grid)] = std::make_unique<GlyphModel>(
            set, this, "Status", std::array{QStyle::SP_MessageBoxCritical, QStyle::SP_DialogApplyButton},
            [this](int status) { return text(status == 0 ? kTextError : kTextSucceeded); });
    else
        models_[size_t(grid)] = std::make_unique<ui::DataSetModel>(set, this);
    view->setModel(models_[size_t(grid)].get());
    views_[size_t(grid)] = view;
    connect(view, &QTableView::clicked, this,
            [this, grid](const QModelIndex& index) { cellClicked(grid, index); });
    view->installEventFilter(this);
    if (grid != Process) {
        // The pop-up answers or selects the selected rows.
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        const bool conflicts = grid == Conflicts;
        for (const auto& [actionName, field, value] :
             {std::tuple{conflicts ? "ActionYes" : "ActionSelect", conflicts ? kYes : kSelected, true},
              std::tuple{conflicts ? "ActionNo" : "ActionDeselect", conflicts ? kNo : kSelected, false}}) {
            auto* action = new QAction(view);
            action->setObjectName(QLatin1String(actionName));
            const char* target = field;
            const bool on = value;
            connect(action, &QAction::triggered, this,
                    [this, grid, target, on] { setChecks(grid, target, on); });
            view->addAction(action);
        }
    }
    layout->addWidget(view);
    if (withResult) {
        LabelResult = new QLabel(page);
        LabelResult->setObjectName(QStringLiteral("LabelResult"));
        layout->addWidget(LabelResult);
    }
    return page;
}

QWidget* TFormObjectExportImport::buildExportStep1() {
    auto* page = new QWidget(PageControl);
    auto* form = new QFormLayout(page);
    EditTitle = new QLineEdit(page);
    EditTitle->setObjectName(QStringLiteral("EditTitle"));
    MemoDescription = new QPlainTextEdit(page);
    MemoDescription->setObjectName(QStringLiteral("MemoDescription"));
    EditFileName = new QLineEdit(page);
    EditFileName->setObjectName(QStringLiteral("EditFileName"));
    ButtonSaveAs = new QToolButton(page);
    ButtonSaveAs->setObjectName(QStringLiteral("ButtonSaveAs"));
    ButtonSaveAs->setText(QStringLiteral("..."));
    ComboBoxExportType = new QComboBox(page);
    ComboBoxExportType->setObjectName(QStringLiteral("ComboBoxExportType"));
    ListBoxContents = new QListWidget(page);
    ListBoxContents->setObjectName(QStringLiteral("ListBoxContents"));
    ListBoxContents->setFocusPolicy(Qt::NoFocus);
    ListBoxContents->setSelectionMode(QAbstractItemView::NoSelection);
    LabelTitle = buddyLabel(page, EditTitle);
    LabelDescription = buddyLabel(page, MemoDescription);
    LabelFileName = buddyLabel(page, EditFileName);
    LabelExportType = buddyLabel(page, ComboBoxExportType);
    LabelContents = buddyLabel(page, ListBoxContents);
    auto* file = new QHBoxLayout;
    file->addWidget(EditFileName);
    file->addWidget(ButtonSaveAs);
    form->addRow(LabelTitle, EditTitle);
    form->addRow(LabelDescription, MemoDescription);
    form->addRow(LabelFileName, file);
    form->addRow(LabelExportType, ComboBoxExportType);
    form->addRow(LabelContents, ListBoxContents);
    connect(EditTitle, &QLineEdit::textChanged, this, &TFormObjectExportImport::enableButtons);
    connect(EditFileName, &QLineEdit::textChanged, this, &TFormObjectExportImport::enableButtons);
    connect(ButtonSaveAs, &QToolButton::clicked, this, &TFormObjectExportImport::ButtonSaveAsClick);
    connect(ComboBoxExportType, &QComboBox::currentIndexChanged, this,
            &TFormObjectExportImport::ComboBoxExportTypeChange);
    return page;
}

QWidget* TFormObjectExportImport::buildImportStep1() {
    auto* page = new QWidget(PageControl);
    auto* form = new QFormLayout(page);
    EditImportFile = new QLineEdit(page);
    EditImportFile->setObjectName(QStringLiteral("EditImportFile"));
    ButtonOpen = new QToolButton(page);
    ButtonOpen->setObjectName(QStringLiteral("ButtonOpen"));
    ButtonOpen->setText(QStringLiteral("..."));
    EditImportTitle = new QLineEdit(page);
    EditImportTitle->setObjectName(QStringLiteral("EditImportTitle"));
    EditImportTitle->setReadOnly(true);
    MemoImportDescription = new QPlainTextEdit(page);
    MemoImportDescription->setObjectName(QStringLiteral("MemoImportDescription"));
    MemoImportDescription->setReadOnly(true);
    ComboBoxImportType = new QComboBox(page);
    ComboBoxImportType->setObjectName(QStringLiteral("ComboBoxImportType"));
    ComboBoxImportType->setEnabled(false);
    EditDatabaseVersion = new QLineEdit(page);
    EditDatabaseVersion->setObjectName(QStringLiteral("EditDatabaseVersion"));
    EditDatabaseVersion->setReadOnly(true);
    LabelUnreadable = new QLabel(page);
    LabelUnreadable->setObjectName(QStringLiteral("LabelUnreadable"));
    LabelUnreadable->setWordWrap(true);
    LabelImportFile = buddyLabel(page, EditImportFile);
    LabelImportTitle = buddyLabel(page, EditImportTitle);
    LabelImportDescription = buddyLabel(page, MemoImportDescription);
    LabelImportType = buddyLabel(page, ComboBoxImportType);
    LabelDatabaseVersion = buddyLabel(page, EditDatabaseVersion);
    auto* file = new QHBoxLayout;
    file->addWidget(EditImportFile);
    file->addWidget(ButtonOpen);
    form->addRow(LabelImportFile, file);
    form->addRow(LabelImportTitle, EditImportTitle);
    form->addRow(LabelImportDescription, MemoImportDescription);
    form->addRow(LabelImportType, ComboBoxImportType);
    form->addRow(LabelDatabaseVersion, EditDatabaseVersion);
    form->addRow(LabelUnreadable);
    connect(ButtonOpen, &QToolButton::clicked, this, &TFormObjectExportImport::ButtonOpenClick);
    connect(EditImportFile, &QLineEdit::textChanged, this, [this] {
        packageRead_ = false;
        enableButtons();
    });
    return page;
}

void TFormObjectExportImport::buildUi() {
    auto* layout = new QVBoxLayout(this);
    LabelPageCaption = new QLabel(this);
    LabelPageCaption->setObjectName(QStringLiteral("LabelPageCaption"));
    QFont bold = LabelPageCaption->font();
    bold.setBold(true);
    LabelPageCaption->setFont(bold);
    LabelHint = new QLabel(this);
    LabelHint->setObjectName(QStringLiteral("LabelHint"));
    LabelHint->setWordWrap(true);
    layout->addWidget(LabelPageCaption);
    layout->addWidget(LabelHint);
    PageControl = new QStackedWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    QWidget* pages[exchange::kWizardPages] = {
        buildExportStep1(),
        gridPage(ExportUsers, "TableViewExportUsers"),
        gridPage(ExportRoles, "TableViewExportRoles"),
        new QWidget(PageControl),
        buildImportStep1(),
        gridPage(ImportUsers, "TableViewImportUsers"),
        gridPage(ImportRoles, "TableViewImportRoles"),
        gridPage(Conflicts, "TableViewConflict"),
        gridPage(Process, "TableViewProcess", true),
    };
    static constexpr const char* kPageNames[] = {
        "TabSheetExportStep1", "TabSheetExportStep2", "TabSheetExportStep3",
        "TabSheetExportStep4", "TabSheetImportStep1", "TabSheetImportStep2",
        "TabSheetImportStep3", "TabSheetImportStep4", "TabSheetImportStep5"};
    for (int n = 0; n < exchange::kWizardPages; ++n) {
        pages[n]->setObjectName(QLatin1String(kPageNames[n]));
        PageControl->addWidget(pages[n]);
    }
    LabelExportResult = new QLabel(pages[int(WizardPage::ExportStep4)]);
    LabelExportResult->setObjectName(QStringLiteral("LabelExportResult"));
    LabelExportResult->setWordWrap(true);
    (new QVBoxLayout(pages[int(WizardPage::ExportStep4)]))->addWidget(LabelExportResult, 0, Qt::AlignTop);
    layout->addWidget(PageControl, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonBack = new QPushButton(this);
    ButtonBack->setObjectName(QStringLiteral("ButtonBack"));
    ButtonNext = new QPushButton(this);
    ButtonNext->setObjectName(QStringLiteral("ButtonNext"));
    ButtonNext->setDefault(true);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    for (QPushButton* button : {ButtonBack, ButtonNext, ButtonCancel}) buttons->addWidget(button);
    layout->addLayout(buttons);
    connect(ButtonBack, &QPushButton::clicked, this, &TFormObjectExportImport::ButtonBackClick);
    connect(ButtonNext, &QPushButton::clicked, this, &TFormObjectExportImport::ButtonNextClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormObjectExportImport::reject);
    resize(720, 520);
}

void TFormObjectExportImport::setCaptions() {
    setWindowTitle(text(mode_ == Mode::Export ? kTextExportCaption : kTextImportCaption));
    const std::pair<QLabel*, int> labels[] = {
        {LabelTitle, kTextTitle},
        {LabelDescription, kTextDescription},
        {LabelFileName, kTextExportFile},
        {LabelExportType, kTextPackageType},
        {LabelContents, kTextContents},
        {LabelImportFile, kTextExportFile},
        {LabelImportTitle, kTextTitle},
        {LabelImportDescription, kTextDescription},
        {LabelImportType, kTextPackageType},
        {LabelDatabaseVersion, kTextDatabaseVersion},
    };
    for (const auto& [label, number] : labels) {
        label->setText(text(number));
        ui::nameAfter(label->buddy(), label->text());
    }
    ui::setHint(ButtonSaveAs, text(kTextExportFile));
    ui::setHint(ButtonOpen, text(kTextExportFile));
    ButtonBack->setText(text(kTextBack));
    ButtonCancel->setText(text(kTextCancel));
    for (QComboBox* combo : {ComboBoxExportType, ComboBoxImportType}) {
        const QSignalBlocker block(combo);
        const int item = std::max(combo->currentIndex(), 0);
        combo->clear();
        combo->addItems({text(kTextUsersPackage), text(kTextRolesPackage)});
        combo->setCurrentIndex(item);
    }
    for (Grid grid : {ExportUsers, ExportRoles, ImportUsers, ImportRoles, Conflicts, Process}) {
        QTableView* view = views_[size_t(grid)];
        ui::nameAfter(view, text(kTextFirstPage + PageControl->indexOf(view->parentWidget())));
        for (QAction* action : view->actions()) {
            const QString name = action->objectName();
            action->setText(text(name == QLatin1String("ActionSelect")     ? kTextSelect
                                 : name == QLatin1String("ActionDeselect") ? kTextDeselect
                                 : name == QLatin1String("ActionYes")      ? kTextYes
                                                                           : kTextNo));
        }
    }
}

void TFormObjectExportImport::Prepare(Mode mode) {
    mode_ = mode;
    setCaptions();
    importRan_ = false;
    packageRead_ = false;
    packageFile_.clear();
    package_ = {};
    imported_ = {};
    conflicts_.clear();
    EditTitle->clear();
    MemoDescription->clear();
    EditFileName->clear();
    ComboBoxExportType->setCurrentIndex(0);
    EditImportFile->clear();
    EditImportTitle->clear();
    MemoImportDescription->clear();
    ComboBoxImportType->setCurrentIndex(0);
    EditDatabaseVersion->clear();
    LabelUnreadable->clear();
    LabelExportResult->clear();
    LabelResult->clear();
    for (db::DataSet& set : sets_) set.close();
    fillContents();
    if (mode == Mode::Export) fillExportGrids();
    showPage(mode == Mode::Export ? WizardPage::ExportStep1 : WizardPage::ImportStep1);
    (mode == Mode::Export ? static_cast<QWidget*>(EditTitle) : EditImportFile)->setFocus();
}

bool TFormObjectExportImport::Execute(Mode mode) {
    Prepare(mode);
    exec();
    return importRan_;
}

void TFormObjectExportImport::showEvent(QShowEvent* event) {
    administration_.setResultSink(this);
    QDialog::showEvent(event);
}

void TFormObjectExportImport::hideEvent(QHideEvent* event) {
    // Minimising is no closing: the window is still shown then.
    if (!event->spontaneous()) administration_.setResultSink(nullptr);
    QDialog::hideEvent(event);
}

void TFormObjectExportImport::showPage(WizardPage page) {
    page_ = page;
    PageControl->setCurrentIndex(int(page));
    LabelPageCaption->setText(text(kTextFirstPage + int(page)));
    LabelHint->setText(text(kTextFirstHint + int(page)));
    if (page == WizardPage::ImportStep5) LabelResult->setText(text(kTextImporting));
    ButtonBack->setEnabled(exchange::BackEnabled(page));
    const bool result = page == WizardPage::ExportStep4 || page == WizardPage::ImportStep5;
    ButtonCancel->setEnabled(!result);
    enableButtons();
    if (QWidget* focus = PageControl->currentWidget()->findChild<QTableView*>()) focus->setFocus();
}

void TFormObjectExportImport::enableButtons() {
    if (!ButtonNext) return;
    exchange::NextState state;
    state.titleAndFileFilled =
        !EditTitle->text().trimmed().isEmpty() && !EditFileName->text().trimmed().isEmpty();
    state.fileRead = !EditImportFile->text().trimmed().isEmpty();
    state.type = mode_ == Mode::Export ? exportType() : importType();
    switch (page_) {
        case WizardPage::ExportStep2: state.selectedRows = selectedCount(ExportUsers); break;
        case WizardPage::ExportStep3: state.selectedRows = selectedCount(ExportRoles); break;
        case WizardPage::ImportStep2: state.selectedRows = selectedCount(ImportUsers); break;
        case WizardPage::ImportStep3: state.selectedRows = selectedCount(ImportRoles); break;
        default: break;
    }
    ButtonNext->setEnabled(exchange::NextEnabled(page_, state));
    const bool rolesOffered = sets_[ImportRoles].isOpen() && sets_[ImportRoles].recordCount() > 0;
    ButtonNext->setText(text(exchange::NextTextNumber(page_, rolesOffered)));
}

PackageType TFormObjectExportImport::exportType() const {
    return ComboBoxExportType->currentIndex() == 1 ? PackageType::Roles : PackageType::Users;
}

PackageType TFormObjectExportImport::importType() const {
    return exchange::TypeItem(package_.header.type) == 1 ? PackageType::Roles : PackageType::Users;
}

void TFormObjectExportImport::fillContents() {
    ListBoxContents->clear();
    const std::vector<int> users = {kTextUserDetails, kTextFeatureAccess, kTextTemplateAccess,
                                    kTextRoleMemberships};
    const std::vector<int> roles = {kTextTemplateAccess, kTextFeatureAccess};
    for (int number : exportType() == PackageType::Roles ? roles : users)
        ListBoxContents->addItem(text(number));
}

void TFormObjectExportImport::ComboBoxExportTypeChange() {
    fillContents();
    enableButtons();
}

namespace {

db::ResultSet userRows(const std::map<int, users::User>& users, bool selected) {
    db::ResultSet rows;
    rows.columns = {column(kSelected, db::FieldType::Boolean), column("Id", db::FieldType::Integer),
                    column("Initials", db::FieldType::String), column("FirstName", db::FieldType::String),
                    column("SurName", db::FieldType::String),  column("Organisation", db::FieldType::String)};
    for (const auto& [id, user] : users)
        rows.rows.push_back({selected, id, user.Initials, user.FirstName, user.SurName, user.Organisation});
    return rows;
}

db::ResultSet roleRows(const std::map<int, users::UserRole>& roles, bool selected) {
    db::ResultSet rows;
    rows.columns = {column(kSelected, db::FieldType::Boolean), column("Id", db::FieldType::Integer),
                    column("Title", db::FieldType::String), column("Description", db::FieldType::String),
                    column("AccessLevel", db::FieldType::Integer)};
    for (const auto& [id, role] : roles)
        rows.rows.push_back({selected, id, role.Title, role.Description, role.AccessLevelId});
    return rows;
}

}  // namespace

void TFormObjectExportImport::fillExportGrids() {
    sets_[ExportUsers].setRows(userRows(administration_.users.items, false));
    sets_[ExportRoles].setRows(roleRows(administration_.roles.items, false));
    for (Grid grid : {ExportUsers, ExportRoles}) {
        db::DataSet& set = sets_[grid];
        set.setVisible(QStringLiteral("Id"), false);
        for (int f = 0; f < set.fieldCount(); ++f) set.setReadOnly(set.field(f).name, true);
    }
    labelSelectionGrids();
    for (Grid grid : {ExportUsers, ExportRoles}) views_[grid]->resizeColumnsToContents();
}

void TFormObjectExportImport::labelSelectionGrids() {
    const std::pair<const char*, int> labels[] = {
        {kSelected, kTextSelected},        {"Initials", kTextInitials},         {"FirstName", kTextFirstName},
        {"SurName", kTextLastName},        {"Organisation", kTextOrganisation}, {"Title", kTextTitle},
        {"Description", kTextDescription}, {"AccessLevel", kTextAccessLevel}};
    for (Grid grid : {ExportUsers, ExportRoles, ImportUsers, ImportRoles})
        if (sets_[grid].isOpen())
            for (const auto& [field, number] : labels)
                if (sets_[grid].fieldIndex(QLatin1String(field)) >= 0)
                    sets_[grid].setDisplayLabel(QLatin1String(field), text(number));
    for (Grid grid : {ImportUsers, ImportRoles}) views_[grid]->resizeColumnsToContents();
}

void TFormObjectExportImport::fillImportGrids() {
    // What the package holds is offered in full; the administrator deselects.
    sets_[ImportUsers].setRows(userRows(imported_.users, true));
    sets_[ImportRoles].setRows(roleRows(imported_.roles, true));
    for (Grid grid : {ImportUsers, ImportRoles}) {
        db::DataSet& set = sets_[grid];
        set.setVisible(QStringLiteral("Id"), false);
        for (int f = 0; f < set.fieldCount(); ++f) set.setReadOnly(set.field(f).name, true);
    }
    labelSelectionGrids();
}

void TFormObjectExportImport::fillConflicts() {
    db::ResultSet rows;
    rows.columns = {column("Row", db::FieldType::Integer),     column("ObjectType", db::FieldType::Integer),
                    column("Title", db::FieldType::String),    column("Description", db::FieldType::String),
                    column("Question", db::FieldType::String), column(kYes, db::FieldType::Boolean),
                    column(kNo, db::FieldType::Boolean)};
    for (size_t n = 0; n < conflicts_.size(); ++n) {
        const exchange::Conflict& c = conflicts_[n];
        const bool user = c.type == exchange::ObjectType::User;
        const int description = c.kind == exchange::kPersonal ? (user ? kTextPersonalUser : kTextPersonalRole)
                                : c.kind == exchange::kFeatures  ? kTextFeatures
                                : c.kind == exchange::kTemplates ? kTextTemplates
                                                                 : kTextMemberships;
        rows.rows.push_back({int(n), int(c.type), c.title, text(description),
                             text(user ? kTextUserQuestion : kTextRoleQuestion), c.yes, !c.yes});
    }
    db::DataSet& set = sets_[Conflicts];
    set.setRows(std::move(rows));
    set.setVisible(QStringLiteral("Row"), false);
    const std::pair<const char*, int> labels[] = {
        {"ObjectType", kTextType},   {"Title", kTextTitle}, {"Description", kTextDescription},
        {"Question", kTextQuestion}, {kYes, kTextYes},      {kNo, kTextNo}};
    for (const auto& [field, number] : labels) set.setDisplayLabel(QLatin1String(field), text(number));
    for (int f = 0; f < set.fieldCount(); ++f) set.setReadOnly(set.field(f).name, true);
    views_[Conflicts]->resizeColumnsToContents();
}

std::set<int> TFormObjectExportImport::selectedIds(Grid grid) const {
    std::set<int> ids;
    const db::DataSet& set = sets_[size_t(grid)];
    if (!set.isOpen()) return ids;
    const int selected = set.fieldIndex(QLatin1String(kSelected));
    const int id = set.fieldIndex(QStringLiteral("Id"));
    for (int row = 0; row < set.recordCount(); ++row)
        if (set.valueAt(row, selected).toBool()) ids.insert(set.valueAt(row, id).toInt());
    return ids;
}

int TFormObjectExportImport::selectedCount(Grid grid) const { return int(selectedIds(grid).size()); }

void TFormObjectExportImport::cellClicked(Grid grid, const QModelIndex& index) {
    db::DataSet& set = sets_[size_t(grid)];
    const int field = models_[size_t(grid)]->fieldAt(index.column());
    if (field < 0 || index.row() >= set.recordCount()) return;
    const QString name = set.field(field).name;
    const bool on = !set.valueAt(index.row(), field).toBool();
    if (name == QLatin1String(kSelected)) {
        set.setStoredValue(index.row(), field, on);
    } else if (grid == Conflicts && (name == QLatin1String(kYes) || name == QLatin1String(kNo))) {
        // Yes and No exclude each other.
        set.setStoredValue(index.row(), field, on);
        const QString other = QLatin1String(name == QLatin1String(kYes) ? kNo : kYes);
        set.setStoredValue(index.row(), set.fieldIndex(other), !on);
    }
    enableButtons();
}

void TFormObjectExportImport::setChecks(Grid grid, const char* field, bool value) {
    db::DataSet& set = sets_[size_t(grid)];
    QTableView* view = views_[size_t(grid)];
    QModelIndexList rows = view->selectionModel()->selectedRows();
    if (rows.isEmpty() && view->currentIndex().isValid()) rows << view->currentIndex();
    for (const QModelIndex& index : rows) {
        if (grid == Conflicts) {
            set.setStoredValue(index.row(), set.fieldIndex(QLatin1String(kYes)), value);
            set.setStoredValue(index.row(), set.fieldIndex(QLatin1String(kNo)), !value);
        } else {
            set.setStoredValue(index.row(), set.fieldIndex(QLatin1String(field)), value);
        }
    }
    enableButtons();
}

bool TFormObjectExportImport::eventFilter(QObject* watched, QEvent* event) {
    // Space toggles the current cell, as a click does.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space)
        for (int g = 0; g < kGrids; ++g)
            if (watched == views_[size_t(g)] && views_[size_t(g)]->currentIndex().isValid()) {
                cellClicked(Grid(g), views_[size_t(g)]->currentIndex());
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void TFormObjectExportImport::ButtonSaveAsClick() {
    const QString chosen =
        context_.prompts().saveFileName(text(kTextExportFile), EditFileName->text(),
                                        text(kTextExportFile) + QStringLiteral(" (*.XML *.xml)"));
    if (chosen.isEmpty()) return;
    EditFileName->setText(QDir::toNativeSeparators(exchange::PackageFileName(chosen, QDir::separator())));
}

void TFormObjectExportImport::ButtonOpenClick() {
    const QString chosen =
        context_.prompts().openFileName(text(kTextExportFile), EditImportFile->text(),
                                        text(kTextExportFile) + QStringLiteral(" (*.XML *.xml)"));
    if (chosen.isEmpty()) return;
    EditImportFile->setText(chosen);
    readPackage();
}

bool TFormObjectExportImport::readPackage() {
    const QString path = EditImportFile->text().trimmed();
    exchange::Package read;
    QString error;
    if (!exchange::ReadPackageFile(path, &read, &error)) {
        context_.trace().Trace(2, QStringLiteral("Export package %1 not read: %2").arg(path, error));
        context_.prompts().message(ui::Icon::Error, text(kTextReadFailed), text(kTextReadFailedCaption));
        return false;
    }
    package_ = std::move(read);
    packageFile_ = path;
    packageRead_ = true;
    EditImportTitle->setText(package_.header.title);
    MemoImportDescription->setPlainText(package_.header.description);
    ComboBoxImportType->setCurrentIndex(exchange::TypeItem(package_.header.type));
    EditDatabaseVersion->setText(package_.header.databaseVersion);
    const int unreadable = package_.unreadableCount();
    LabelUnreadable->setText(unreadable > 0 ? text(kTextUnreadable).arg(unreadable) : QString());
    enableButtons();
    return true;
}

bool TFormObjectExportImport::writePackage() {
    const PackageType type = exportType();
    const std::set<int> ids = selectedIds(type == PackageType::Roles ? ExportRoles : ExportUsers);
    QStringList texts;
    for (int id : ids) {
        if (type == PackageType::Roles) {
            if (const users::UserRole* role = administration_.roles.find(id))
                texts << exchange::RolePlainText(*role);
        } else if (const users::User* user = administration_.users.find(id)) {
            texts << exchange::UserPlainText(*user);
        }
    }
    exchange::PackageHeader header;
    header.title = EditTitle->text();
    header.description = MemoDescription->toPlainText();
    header.type = int(type);
    header.databaseVersion = context_.session().DBVersion;
    const QString path = QDir::fromNativeSeparators(exchange::PackageFileName(
        QDir::toNativeSeparators(EditFileName->text().trimmed()), QDir::separator()));
    // Written aside and put in place whole, so a failure leaves an older file as it was.
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(exchange::WritePackage(header, exchange::ElementOf(type), texts)) >= 0 &&
                    file.commit();
    if (!ok) {
        context_.prompts().message(
            ui::Icon::Error,
            text(kTextWriteFailed) + u'\n' + QDir::toNativeSeparators(path) + u'\n' + file.errorString(),
            windowTitle());
        return false;
    }
    LabelExportResult->setText(QDir::toNativeSeparators(path));
    return true;
}

void TFormObjectExportImport::runImport() {
    sets_[Process].close();
    db::ResultSet rows;
    rows.columns = {column("ProcessDescription", db::FieldType::String),
                    column("Title", db::FieldType::String), column("Message", db::FieldType::String),
                    column("Status", db::FieldType::Integer)};
    sets_[Process].setRows(std::move(rows));
    const std::pair<const char*, int> labels[] = {{"ProcessDescription", kTextProcess},
                                                  {"Title", kTextTitle},
                                                  {"Message", kTextMessage},
                                                  {"Status", kTextStatus}};
    for (const auto& [field, number] : labels)
        sets_[Process].setDisplayLabel(QLatin1String(field), text(number));
    importRan_ = true;
    exchange::CreateMissingObjects(administration_, importType(), imported_, selectedIds(ImportUsers),
                                   selectedIds(ImportRoles));
    conflicts_ = exchange::BuildConflicts(imported_, selectedIds(ImportUsers), selectedIds(ImportRoles),
                                          administration_.users, administration_.roles);
    fillConflicts();
    if (conflicts_.empty())
        finishImport();
    else
        showPage(WizardPage::ImportStep4);
}

void TFormObjectExportImport::applyAnswers() {
    const db::DataSet& set = sets_[Conflicts];
    const int row = set.fieldIndex(QStringLiteral("Row"));
    const int yes = set.fieldIndex(QLatin1String(kYes));
    for (int n = 0; n < set.recordCount(); ++n) {
        const int index = set.valueAt(n, row).toInt();
        if (index >= 0 && index < int(conflicts_.size()))
            conflicts_[size_t(index)].yes = set.valueAt(n, yes).toBool();
    }
    exchange::SaveAnswers(administration_, conflicts_, imported_);
    finishImport();
}

void TFormObjectExportImport::finishImport() {
    showPage(WizardPage::ImportStep5);
    views_[Process]->resizeColumnsToContents();
    const db::DataSet& set = sets_[Process];
    const int status = set.fieldIndex(QStringLiteral("Status"));
    bool allSucceeded = true;
    for (int row = 0; row < set.recordCount(); ++row)
        allSucceeded = allSucceeded && set.valueAt(row, status).toInt() == 1;
    LabelResult->setText(text(allSucceeded ? kTextImported : kTextImportFailed));
}

void TFormObjectExportImport::report(const users::ResultReport& report) {
    db::DataSet& set = sets_[Process];
    if (!set.isOpen() || !set.append()) return;
    set.setValue(QStringLiteral("ProcessDescription"), report.caption);
    set.setValue(QStringLiteral("Title"), report.context);
    set.setValue(QStringLiteral("Message"), report.message);
    set.setValue(QStringLiteral("Status"), report.succeeded ? 1 : 0);
    set.post();
}

void TFormObjectExportImport::ButtonNextClick() {
    if (!ButtonNext->isEnabled()) return;
    switch (page_) {
        case WizardPage::ExportStep1:
            // The selections made before a step back are kept.
            showPage(exchange::ExportNextPage(page_, exportType()));
            return;
        case WizardPage::ExportStep2:
        case WizardPage::ExportStep3:
            if (writePackage()) showPage(WizardPage::ExportStep4);
            return;
        case WizardPage::ExportStep4:
        case WizardPage::ImportStep5: accept(); return;
        case WizardPage::ImportStep1:
            if (!packageRead_ || packageFile_ != EditImportFile->text().trimmed()) {
                if (!readPackage()) return;
            }
            imported_ = exchange::ImportedFrom(package_);
            fillImportGrids();
            showPage(importType() == PackageType::Roles ? WizardPage::ImportStep3 : WizardPage::ImportStep2);
            return;
        case WizardPage::ImportStep2:
            showPage(WizardPage::ImportStep3);
            // No roles to choose: the import follows at once.
            if (sets_[ImportRoles].recordCount() == 0) runImport();
            return;
        case WizardPage::ImportStep3: runImport(); return;
        case WizardPage::ImportStep4: applyAnswers(); return;
    }
}

void TFormObjectExportImport::ButtonBackClick() {
    if (!exchange::BackEnabled(page_)) return;
    showPage(exchange::BackPage(page_, mode_ == Mode::Export ? exportType() : importType()));
}

void TFormObjectExportImport::reject() {
    // The result pages are left by Next only: what ran is shown there.
    if (page_ == WizardPage::ExportStep4 || page_ == WizardPage::ImportStep5) {
        accept();
        return;
    }
    QDialog::reject();
}
