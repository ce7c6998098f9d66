#pragma once
// Numbers of the texts the report menu, the printed pages and the export
// dialog show.

namespace reports::texts {

// "ReportMenu.txt", read into the window-text table when the menu shows.
inline constexpr int kMenuCaption = 1;
inline constexpr int kGroupOrientation = 2;
inline constexpr int kPortrait = 3;
inline constexpr int kLandscape = 4;
inline constexpr int kSaveSetting = 5;
inline constexpr int kGroupPdf = 6;
inline constexpr int kSaveReport = 7;
inline constexpr int kSaveScreenDump = 8;
inline constexpr int kDownloadViewer = 9;
inline constexpr int kGroupPrinted = 10;
inline constexpr int kReportPreview = 11;
inline constexpr int kScreenDumpPreview = 12;
inline constexpr int kClose = 13;
inline constexpr int kNoViewerQuestion = 14;
inline constexpr int kNoViewerCaption = 15;
inline constexpr int kPdfCreateError = 16;
inline constexpr int kPdfCreateErrorCaption = 17;
inline constexpr int kDownloadFailed = 18;  // "%1": the address
inline constexpr int kSaveDialogCaption = 19;
inline constexpr int kPdfFilter = 20;
inline constexpr int kPreparing = 21;
inline constexpr int kBuildFailed = 22;  // "%1": what failed
inline constexpr int kBuildFailedCaption = 23;

// "Printer.txt": labels of the printed pages, each with the wording used
// when the installation's file lacks it.
struct PrinterLabel {
    int number;
    const char* fallback;
};
inline constexpr PrinterLabel kPageOf{9000, "Page %1 of %2"};
inline constexpr PrinterLabel kRowCount{9001, "%1 rows"};
inline constexpr PrinterLabel kPrinted{9002, "Printed: %1"};
inline constexpr PrinterLabel kDumpTaken{9003, "Screen dump taken: %1"};
inline constexpr PrinterLabel kUser{9004, "User: %1"};
inline constexpr PrinterLabel kComment{9005, "Comment"};
inline constexpr PrinterLabel kLegend{9006, "Legend"};

// "ReportDialog.txt": the export dialog.
inline constexpr int kExportCaption = 1420;
inline constexpr int kExcelDeleteFailed = 9000;
inline constexpr int kExcelErrorWithMessage = 9001;
inline constexpr int kExcelError = 9002;
inline constexpr int kExcelCannotSave = 9003;  // "%s": the file name
inline constexpr int kExcelDiskFull = 9004;

}  // namespace reports::texts
