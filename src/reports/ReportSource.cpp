#include "reports/ReportSource.h"

#include "db/DataSet.h"

#include <QWidget>

namespace reports {

ReportCommands reportCommands(const ReportSource& source) {
    switch (source.kind) {
        case SourceKind::DataSet: {
            const bool open = source.dataSet && source.dataSet->isOpen();
            return {open, open};
        }
        case SourceKind::Given: {
            const bool given = source.model || !source.sourceName.isEmpty();
            return {given, given};
        }
        case SourceKind::Always: return {true, true};
        case SourceKind::GridLink: return {source.model != nullptr, false};
        case SourceKind::None: break;
    }
    return {};
}

ReportSource dataSetReport(const db::DataSet& dataSet, QWidget* window, const QStringList& headerTexts) {
    ReportSource source;
    source.kind = SourceKind::DataSet;
    source.dataSet = &dataSet;
    source.window = window;
    for (qsizetype i = 0; i < headerTexts.size() && i < qsizetype(source.headerTexts.size()); ++i)
        source.headerTexts[size_t(i)] = headerTexts[i];
    return source;
}

}  // namespace reports
