#pragma once
// What a window hands to the report menu: the list to print, its header
// texts and the window itself for the screen dump. The source kind decides
// which report commands the menu offers.

#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>

class QAbstractItemModel;
class QWidget;

namespace db {
class DataSet;
}

namespace reports {

enum class SourceKind {
    None = 0,      // screen dump only
    DataSet = 1,   // a data set; printable while it is open
    Given = 2,     // a model object given by the caller, or a source named by a text
    Always = 3,    // printable whatever is given
    GridLink = 4,  // a grid printed through its printing link: preview only
};

struct ReportSource {
    SourceKind kind = SourceKind::None;
    const db::DataSet* dataSet = nullptr;       // kinds 1 and 3
    const QAbstractItemModel* model = nullptr;  // kinds 2, 3 and 4
    QString sourceName;                         // kind 2
    // HeaderText1 is the report's title; the others are lines below it.
    std::array<QString, 7> headerTexts;
    // Format of floating-point values (a pattern such as "0.00": its
    // decimals count) and of dates and times (a QDateTime pattern); empty
    // texts leave the values as the grid shows them.
    std::array<QString, 2> formatTexts;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    // The calling window, grabbed for the screen dump.
    QPointer<QWidget> window;
};

// The report commands the menu enables for a source; the screen-dump
// commands are always offered.
struct ReportCommands {
    bool preview = false;
    bool pdf = false;

    bool operator==(const ReportCommands&) const = default;
};

ReportCommands reportCommands(const ReportSource& source);

// A data set printed as a list (kind 1), with `window` for the screen dump
// and the header texts in order (the first is the title).
ReportSource dataSetReport(const db::DataSet& dataSet, QWidget* window, const QStringList& headerTexts);

}  // namespace reports
