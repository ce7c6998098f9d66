#include "reports/TFormReportMenu.h"

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "reports/BackgroundWork.h"
#include "reports/PdfFileName.h"
#include "reports/ReportJobs.h"
#include "reports/ReportTexts.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

using reports::PagedReport;
namespace rt = reports::texts;

namespace {

// Keeps a window disabled for the scope's lifetime: it paints but takes no
// input while its report is made.
class DisabledScope {
public:
    explicit DisabledScope(QWidget* widget) : widget_(widget) {
        if (widget_ && widget_->isEnabled()) {
            widget_->setEnabled(false);
            disabled_ = true;
        }
    }
    ~DisabledScope() {
        if (widget_ && disabled_) widget_->setEnabled(true);
    }
    DisabledScope(const DisabledScope&) = delete;
    DisabledScope& operator=(const DisabledScope&) = delete;

private:
    QPointer<QWidget> widget_;
    bool disabled_ = false;
};

// Shows the status window with a text for the scope's lifetime, when it is
// free.
class StatusScope {
public:
    StatusScope(TFormStatus* status, const QString& text) {
        if (status && !status->isExecuting() && !status->isVisible()) {
            status_ = status;
            status_->StartStatusDialog(0, text, false);
        }
    }
    ~StatusScope() {
        if (status_) status_->StopStatusDialog();
    }
    StatusScope(const StatusScope&) = delete;
    StatusScope& operator=(const StatusScope&) = delete;

private:
    TFormStatus* status_ = nullptr;
};

}  // namespace

TFormReportMenu::TFormReportMenu(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormReportMenu"));
    buildUi();
}

TFormReportMenu::~TFormReportMenu() = default;

void TFormReportMenu::buildUi() {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const auto makeButton = [this](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    const auto makeGroup = [this](const char* name) {
        auto* group = new QGroupBox(this);
        group->setObjectName(QLatin1String(name));
        return group;
    };

    GroupBoxOrientation = makeGroup("GroupBoxOrientation");
    RadioButtonPortrait = new QRadioButton(GroupBoxOrientation);
    RadioButtonPortrait->setObjectName(QStringLiteral("RadioButtonPortrait"));
    RadioButtonLandscape = new QRadioButton(GroupBoxOrientation);
    RadioButtonLandscape->setObjectName(QStringLiteral("RadioButtonLandscape"));
    CheckBoxSaveSetting = new QCheckBox(GroupBoxOrientation);
    CheckBoxSaveSetting->setObjectName(QStringLiteral("CheckBoxSaveSetting"));
    auto* orientation = new QVBoxLayout(GroupBoxOrientation);
    orientation->addWidget(RadioButtonPortrait);
    orientation->addWidget(RadioButtonLandscape);
    orientation->addWidget(CheckBoxSaveSetting);

    GroupBoxPDF = makeGroup("GroupBoxPDF");
    ButtonSaveReport = makeButton("ButtonSaveReport");
    ButtonSaveScreenDump = makeButton("ButtonSaveScreenDump");
    ButtonDownloadViewer = makeButton("ButtonDownloadViewer");
    ButtonDownloadViewer->setFlat(true);
    auto* pdf = new QVBoxLayout(GroupBoxPDF);
    pdf->addWidget(ButtonSaveReport);
    pdf->addWidget(ButtonSaveScreenDump);
    pdf->addWidget(ButtonDownloadViewer);

    GroupBoxQRP = makeGroup("GroupBoxQRP");
    ButtonReportPreview = makeButton("ButtonReportPreview");
    ButtonScreenDumpPreview = makeButton("ButtonScreenDumpPreview");
    ButtonClose = makeButton("ButtonClose");
    auto* printed = new QVBoxLayout(GroupBoxQRP);
    printed->addWidget(ButtonReportPreview);
    printed->addWidget(ButtonScreenDumpPreview);
    printed->addStretch();
    printed->addWidget(ButtonClose);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(GroupBoxOrientation);
    layout->addWidget(GroupBoxPDF);
    layout->addWidget(GroupBoxQRP);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(kPrinterCheckDelayMs);

    connect(TimerStart, &QTimer::timeout, this, &TFormReportMenu::TimerStartTimer);
    connect(ButtonReportPreview, &QPushButton::clicked, this, &TFormReportMenu::ButtonReportPreviewClick);
    connect(ButtonScreenDumpPreview, &QPushButton::clicked, this,
            &TFormReportMenu::ButtonScreenDumpPreviewClick);
    connect(ButtonSaveReport, &QPushButton::clicked, this, &TFormReportMenu::ButtonSaveReportClick);
    connect(ButtonSaveScreenDump, &QPushButton::clicked, this, &TFormReportMenu::ButtonSaveScreenDumpClick);
    connect(ButtonDownloadViewer, &QPushButton::clicked, this, &TFormReportMenu::ButtonDownloadViewerClick);
    connect(ButtonClose, &QPushButton::clicked, this, &TFormReportMenu::ButtonCloseClick);
}

QString TFormReportMenu::text(int number) { return text::withLineBreaks(context_.texts().window(number)); }

void TFormReportMenu::setCaptions() {
    setWindowTitle(text(rt::kMenuCaption));
    const auto caption = [this](QAbstractButton* button, int number) {
        button->setText(text(number));
        button->setAccessibleName(button->text().remove(u'&'));
    };
    GroupBoxOrientation->setTitle(text(rt::kGroupOrientation));
    caption(RadioButtonPortrait, rt::kPortrait);
    caption(RadioButtonLandscape, rt::kLandscape);
    caption(CheckBoxSaveSetting, rt::kSaveSetting);
    GroupBoxPDF->setTitle(text(rt::kGroupPdf));
    caption(ButtonSaveReport, rt::kSaveReport);
    caption(ButtonSaveScreenDump, rt::kSaveScreenDump);
    caption(ButtonDownloadViewer, rt::kDownloadViewer);
    GroupBoxQRP->setTitle(text(rt::kGroupPrinted));
    caption(ButtonReportPreview, rt::kReportPreview);
    caption(ButtonScreenDumpPreview, rt::kScreenDumpPreview);
    caption(ButtonClose, rt::kClose);
}

void TFormReportMenu::trace(const char* method) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormReportMenu::") + QLatin1String(method));
}

// ---------------------------------------------------------------- showing

void TFormReportMenu::Execute(const reports::ReportSource& source) {
    trace("Execute");
    app::BusyScope busy(context_);
    Prepare(source);
    exec();
    keepOrientationSetting();
    const Command command = command_;
    command_ = Command::None;
    if (command != Command::None) runCommand(command);
}

void TFormReportMenu::Prepare(const reports::ReportSource& source) {
    source_ = source;
    command_ = Command::None;
}

void TFormReportMenu::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TFormReportMenu::FormShow() {
    trace("FormShow");
    context_.texts().load(text::Slot::Window, QLatin1String(text::kReportMenuFile));
    setCaptions();
    const reports::ReportCommands commands = reports::reportCommands(source_);
    ButtonReportPreview->setEnabled(commands.preview);
    ButtonSaveReport->setEnabled(commands.pdf);
    ButtonScreenDumpPreview->setEnabled(true);
    ButtonSaveScreenDump->setEnabled(true);
    // Until the printer check has run: the source's orientation, not to be changed.
    printer_.clear();
    (source_.orientation == QPageLayout::Landscape ? RadioButtonLandscape : RadioButtonPortrait)
        ->setChecked(true);
    CheckBoxSaveSetting->setChecked(false);
    for (QWidget* w :
         {static_cast<QWidget*>(RadioButtonPortrait), static_cast<QWidget*>(RadioButtonLandscape),
          static_cast<QWidget*>(CheckBoxSaveSetting)})
        w->setEnabled(false);
    TimerStart->start();
}

QString TFormReportMenu::settingsKey() const {
    QString name = printer_;
    name.replace(u'/', u'_').replace(u'\\', u'_');
    return QStringLiteral("Orientation/") + name;
}

namespace {

std::unique_ptr<QSettings> openSettings(const QString& file) {
    if (!file.isEmpty()) return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Korvane"),
                                       QStringLiteral("ProfileAdministratorPrinters"));
}

}  // namespace

void TFormReportMenu::TimerStartTimer() {
    trace("TimerStartTimer");
    printer_ = context_.prompts().defaultPrinterName();
    const bool found = !printer_.isEmpty();
    for (QWidget* w :
         {static_cast<QWidget*>(RadioButtonPortrait), static_cast<QWidget*>(RadioButtonLandscape),
          static_cast<QWidget*>(CheckBoxSaveSetting)})
        w->setEnabled(found);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    if (found) {
        const auto settings = openSettings(settingsFile_);
        const QVariant kept = settings->value(settingsKey());
        orientation = kept.isValid() ? QPageLayout::Orientation(kept.toInt()) : source_.orientation;
    }
    (orientation == QPageLayout::Landscape ? RadioButtonLandscape : RadioButtonPortrait)->setChecked(true);
    Q_EMIT printerChecked(found);
}

QPageLayout::Orientation TFormReportMenu::chosenOrientation() const {
    return RadioButtonLandscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

void TFormReportMenu::keepOrientationSetting() {
    // Unticked, the printer keeps the orientation it had: nothing is stored.
    if (printer_.isEmpty() || !CheckBoxSaveSetting->isChecked()) return;
    const auto settings = openSettings(settingsFile_);
    settings->setValue(settingsKey(), int(chosenOrientation()));
}

// ---------------------------------------------------------------- commands

void TFormReportMenu::choose(Command command) {
    command_ = command;
    TimerStart->stop();
    accept();
}

void TFormReportMenu::ButtonReportPreviewClick() {
    trace("ButtonReportPreviewClick");
    choose(Command::ReportPreview);
}

void TFormReportMenu::ButtonScreenDumpPreviewClick() {
    trace("ButtonScreenDumpPreviewClick");
    choose(Command::ScreenDumpPreview);
}

void TFormReportMenu::ButtonSaveReportClick() {
    trace("ButtonSaveReportClick");
    choose(Command::SaveReport);
}

void TFormReportMenu::ButtonSaveScreenDumpClick() {
    trace("ButtonSaveScreenDumpClick");
    choose(Command::SaveScreenDump);
}

void TFormReportMenu::ButtonCloseClick() {
    TimerStart->stop();
    reject();
}

void TFormReportMenu::ButtonDownloadViewerClick() {
    trace("ButtonDownloadViewerClick");
    openDownloadPage();
}

void TFormReportMenu::openDownloadPage() {
    const QString address = QLatin1String(kViewerAddress);
    if (!context_.prompts().openUrl(address))
        context_.prompts().message(ui::Icon::Information, text(rt::kDownloadFailed).arg(address),
                                   text(rt::kNoViewerCaption));
}

void TFormReportMenu::showBuildError(const QString& what) {
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + what);
    context_.prompts().message(ui::Icon::Error, text(rt::kBuildFailed).arg(what),
                               text(rt::kBuildFailedCaption));
}

void TFormReportMenu::runCommand(Command command) {
    trace("RunCommand");
    const bool dump = command == Command::ScreenDumpPreview || command == Command::SaveScreenDump;
    // The window is captured as the user sees it, before it is kept from input.
    std::unique_ptr<PagedReport> report = dump ? prepareScreenDump(chosenOrientation()) : nullptr;
    DisabledScope quiet(source_.window);
    if (!dump) report = prepareListReport(chosenOrientation());
    if (!report) return;
    if (command == Command::ReportPreview || command == Command::ScreenDumpPreview)
        preview(*report);
    else
        savePdf(*report);
}

std::unique_ptr<PagedReport> TFormReportMenu::prepareListReport(QPageLayout::Orientation orientation) {
    std::unique_ptr<PagedReport> report;
    QString failure;
    try {
        StatusScope status(context_.windows().status, text(rt::kPreparing));
        const reports::TableData table = reports::tableOf(source_);
        const reports::ReportSettings settings =
            reports::reportSettings(context_, source_, orientation, QDateTime::currentDateTime());
        reports::runInBackground(
            [&] { report = std::make_unique<reports::TReportCompositeForm>(table, settings); });
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
        if (failure.isEmpty()) failure = QStringLiteral("std::exception");
        report.reset();
    }
    if (!failure.isEmpty()) showBuildError(failure);
    return report;
}

std::unique_ptr<PagedReport> TFormReportMenu::prepareScreenDump(QPageLayout::Orientation orientation) {
    if (!source_.window) {
        showBuildError(QStringLiteral("There is no window to capture."));
        return nullptr;
    }
    const QDateTime taken = QDateTime::currentDateTime();
    const QString file = reports::screenDumpFileName(reports::applicationTitle(), QDir::tempPath());
    if (!source_.window->grab().save(file, "BMP")) {
        showBuildError(QStringLiteral("The screen dump could not be saved as ") +
                       QDir::toNativeSeparators(file));
        return nullptr;
    }
    const QImage picture = reports::loadScreenDump(file);
    if (picture.isNull()) {
        showBuildError(QStringLiteral("The screen dump could not be read from ") +
                       QDir::toNativeSeparators(file));
        return nullptr;
    }
    return std::make_unique<reports::TReportCompositeFormDump>(
        reports::screenDumpContent(context_, source_, picture, taken), orientation);
}

void TFormReportMenu::preview(const PagedReport& report) {
    trace("Preview");
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout());
    QPrintPreviewDialog dialog(&printer, parentWidget());
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(text(rt::kMenuCaption));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        QString error;
        if (!reports::printPages(report, *target, &error, false)) showBuildError(error);
    });
    dialog.exec();
}

void TFormReportMenu::savePdf(const PagedReport& report) {
    trace("SavePdf");
    const QString chosen =
        context_.prompts().saveFileName(text(rt::kSaveDialogCaption), QDir::homePath(), text(rt::kPdfFilter));
    if (chosen.isEmpty()) return;
    const QString path = reports::pdfFileName(chosen);
    bool written = false;
    QString error;
    try {
        StatusScope status(context_.windows().status, text(rt::kPreparing));
        reports::runInBackground([&] { written = reports::writePdf(report, path, &error); });
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
        written = false;
    }
    if (!written) {
        context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("PDF report failed: ") + error);
        context_.prompts().message(ui::Icon::Error, text(rt::kPdfCreateError),
                                   text(rt::kPdfCreateErrorCaption));
        return;
    }
    if (context_.prompts().openWithDesktop(path)) return;
    const ui::Button answer = context_.prompts().question(ui::Icon::Question, text(rt::kNoViewerQuestion),
                                                          text(rt::kNoViewerCaption),
                                                          ui::Button::Yes | ui::Button::No, ui::Button::Yes);
    if (answer == ui::Button::Yes) openDownloadPage();
}
