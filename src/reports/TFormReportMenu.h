#pragma once
// The report menu every list window prints through: the printed report of
// the window's list and a screen dump of the window, each to the print
// preview or to a PDF file that is then opened, the printer orientation, and
// a link to a PDF viewer's download page.

#include "reports/ReportSource.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTimer;

namespace app {
class AppContext;
}

namespace reports {
class PagedReport;
}

class TFormReportMenu : public QDialog {
    Q_OBJECT

public:
    enum class Command { None, ReportPreview, ScreenDumpPreview, SaveReport, SaveScreenDump };

    static constexpr int kPrinterCheckDelayMs = 10;
    static constexpr const char* kViewerAddress = "https://get.adobe.com/reader/";

    explicit TFormReportMenu(app::AppContext& context, QWidget* parent = nullptr);
    ~TFormReportMenu() override;

    // Shows the menu for `source` modally and carries out the command chosen.
    void Execute(const reports::ReportSource& source);
    // Sets the menu up for `source`; the next show offers its commands.
    void Prepare(const reports::ReportSource& source);

    // Where the orientation kept per printer is stored (tests use their own file).
    void setSettingsFile(const QString& path) { settingsFile_ = path; }
    // The printer found when the menu was shown; empty when there is none.
    const QString& printerName() const { return printer_; }
    QPageLayout::Orientation chosenOrientation() const;
    const reports::ReportSource& source() const { return source_; }

    // Event handlers.
    void TimerStartTimer();
    void ButtonReportPreviewClick();
    void ButtonScreenDumpPreviewClick();
    void ButtonSaveReportClick();
    void ButtonSaveScreenDumpClick();
    void ButtonDownloadViewerClick();
    void ButtonCloseClick();

Q_SIGNALS:
    // The start timer has looked for a printer.
    void printerChecked(bool found);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    void FormShow();
    void choose(Command command);
    void keepOrientationSetting();
    void runCommand(Command command);
    std::unique_ptr<reports::PagedReport> prepareListReport(QPageLayout::Orientation orientation);
    std::unique_ptr<reports::PagedReport> prepareScreenDump(QPageLayout::Orientation orientation);
    void preview(const reports::PagedReport& report);
    void savePdf(const reports::PagedReport& report);
    void openDownloadPage();
    void showBuildError(const QString& what);
    QString text(int number);
    QString settingsKey() const;
    void trace(const char* method);

    app::AppContext& context_;
    reports::ReportSource source_;
    Command command_ = Command::None;
    QString printer_;
    QString settingsFile_;

    QGroupBox* GroupBoxOrientation = nullptr;
    QRadioButton* RadioButtonPortrait = nullptr;
    QRadioButton* RadioButtonLandscape = nullptr;
    QCheckBox* CheckBoxSaveSetting = nullptr;
    QGroupBox* GroupBoxPDF = nullptr;
    QPushButton* ButtonSaveReport = nullptr;
    QPushButton* ButtonSaveScreenDump = nullptr;
    QPushButton* ButtonDownloadViewer = nullptr;
    QGroupBox* GroupBoxQRP = nullptr;
    QPushButton* ButtonReportPreview = nullptr;
    QPushButton* ButtonScreenDumpPreview = nullptr;
    QPushButton* ButtonClose = nullptr;
    QTimer* TimerStart = nullptr;
};
