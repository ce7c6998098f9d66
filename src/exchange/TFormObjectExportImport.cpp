#include "exchange/TFormObjectExportImport.h"

#include "app/AppContext.h"
#include "exchange/ObjectImport.h"
#include "exchange/WizardTexts.h"
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
using namespace exchange::wizard_texts;

namespace {

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
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormObjectExportImport::Execute"));
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
        context_.trace().Trace(app::TraceLevel::Warning,
                               QStringLiteral("Export package %1 not read: %2").arg(path, error));
        // What an earlier package showed goes: nothing of this file is loaded.
        package_ = {};
        packageRead_ = false;
        EditImportTitle->clear();
        MemoImportDescription->clear();
        EditDatabaseVersion->clear();
        LabelUnreadable->clear();
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
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormObjectExportImport::writePackage"));
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
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormObjectExportImport::runImport"));
    resetProcessList();
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
