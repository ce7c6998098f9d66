#pragma once
// Allocation grids filled by hand (the load's result sets built from a few
// rows, so the grid's rules can be tested without a database), and helpers
// for the allocation windows on the demo database.

#include "CategorizationTestSupport.h"
#include "categorization/AllocationGridModel.h"
#include "categorization/AllocationVariant.h"
#include "categorization/CategoryAllocationWindow.h"
#include "categorization/OvcDbTableCategory.h"
#include "categorization/ProfileInfo.h"
#include "categorization/TFormCatagorySelect.h"
#include "db/Value.h"
#include "support/Widgets.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <tuple>
#include <utility>
#include <vector>

namespace allocation_test {

struct GridRow {
    qlonglong key;           // EventCodeId / PowerReductionModeId
    qlonglong number;        // EventCodeNumber / ReductionModeNumber
    qlonglong allocationId;  // CategoryAllocationId
    QString title;
    QVariant category;  // ReportCategoryId
    bool disabled;
    std::vector<int> cells;  // one per category column
};

inline const QStringList kTitles{QStringLiteral("Normal Operation"), QStringLiteral("Utility"),
                                 QStringLiteral("Manufacturer")};
// Field positions of the three category columns above.
inline constexpr int kNormal = 6;
inline constexpr int kUtility = 7;
inline constexpr int kManufacturer = 8;

inline db::ResultSet gridRows(const categorization::AllocationVariant& variant,
                              const std::vector<GridRow>& rows, const QStringList& titles = kTitles) {
    db::ResultSet set;
    const db::FieldType types[6] = {db::FieldType::Integer, db::FieldType::Integer, db::FieldType::Integer,
                                    db::FieldType::String,  db::FieldType::Integer, db::FieldType::Boolean};
    for (int i = 0; i < 6; ++i) set.columns.push_back({QLatin1String(variant.fieldNames[i]), types[i], 0});
    for (const QString& title : titles) set.columns.push_back({title, db::FieldType::Integer, 0});
    for (const GridRow& r : rows) {
        db::Row row{r.key, r.number, r.allocationId, r.title, r.category, r.disabled};
        for (int cell : r.cells) row.push_back(qlonglong(cell));
        set.rows.push_back(std::move(row));
    }
    return set;
}

inline db::ResultSet categories(const std::vector<std::pair<int, QString>>& rows = {
                                    {1, QStringLiteral("Normal Operation")},
                                    {2, QStringLiteral("Utility")},
                                    {3, QStringLiteral("Manufacturer")}}) {
    db::ResultSet set;
    set.columns = {{QStringLiteral("ReportCategoryId"), db::FieldType::Integer, 0},
                   {QStringLiteral("ReportCategoryTitle"), db::FieldType::String, 100}};
    for (const auto& [id, title] : rows) set.rows.push_back({qlonglong(id), title});
    return set;
}

inline db::ResultSet sources(const std::vector<std::tuple<qlonglong, QString, int>>& rows) {
    db::ResultSet set;
    set.columns = {{QStringLiteral("CategoryAllocationId"), db::FieldType::Integer, 0},
                   {QStringLiteral("ResponsibleSourceTitle"), db::FieldType::String, 100},
                   {QStringLiteral("ResponsibleSourceNumber"), db::FieldType::Integer, 0}};
    for (const auto& [id, title, number] : rows) set.rows.push_back({id, title, qlonglong(number)});
    return set;
}

// ---------------------------------------------------------------- windows on the demo database

using categorization_test::Environment;
using categorization_test::profileInfo;
using categorization_test::WrappedProcedure;
using categorization_test::wrapProcedure;
using testing_support::child;

// Set 1 of the profile and an event list its units report from: the one
// with the most codes, or the first by title as the choice lists it.
inline categorization::CategorySelection selectionFor(const Environment& env, int profileId,
                                                      bool firstByTitle = false) {
    categorization::CategorySelection selection;
    selection.ReportCategorySetId = 1;
    const db::Result lists = env.exec(
        QStringLiteral("SELECT EL.EventListId, EL.EventListTitle FROM TEventList AS EL WHERE EL.EventListId "
                       "IN (SELECT UT.EventListId FROM TParkUnit_TReportProfile AS PUP INNER JOIN "
                       "TParkUnit AS PU ON PU.ParkUnitId = PUP.ParkUnitId INNER JOIN TUnitType AS UT ON "
                       "UT.UnitTypeId = PU.UnitTypeId WHERE PUP.ReportProfileId = %1) ORDER BY %2")
            .arg(profileId)
            .arg(firstByTitle ? QStringLiteral("EL.EventListTitle")
                              : QStringLiteral("(SELECT COUNT(*) FROM TEventCode AS EC WHERE "
                                               "EC.EventListId = EL.EventListId) DESC")));
    if (!lists.resultSets.empty() && !lists.resultSets[0].rows.empty()) {
        selection.EventListId = lists.resultSets[0].rows[0][0].toInt();
        selection.EventListTitle = lists.resultSets[0].rows[0][1].toString();
    }
    return selection;
}

// The load waits for the window to paint first; a test need not wait.
inline void loadAtOnce(categorization::CategoryAllocationWindow& window) {
    window.findChild<QTimer*>(QStringLiteral("Timer"))->setInterval(0);
}

// Shows the window and waits for its timer's load.
inline bool showAndLoad(categorization::CategoryAllocationWindow& window) {
    QSignalSpy loaded(&window, &categorization::CategoryAllocationWindow::loaded);
    loadAtOnce(window);
    window.show();
    if (!loaded.wait(20000)) return false;
    return loaded.at(0).at(0).toBool();
}

inline QModelIndex cellIndex(categorization::CategoryAllocationWindow& window, int row, int field) {
    return window.model()->index(row, window.model()->columnOf(window.dataSet().field(field).name));
}

// A mouse press on a category cell, as the user does it.
inline void pressCell(categorization::CategoryAllocationWindow& window, int row, int field) {
    QTableView* view = window.table()->cellView();
    const QModelIndex index = cellIndex(window, row, field);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
}

inline void clickRowIndicator(categorization::CategoryAllocationWindow& window, int row) {
    QTableView* view = window.table()->fixedView();
    view->scrollTo(view->model()->index(row, 0));
    QHeaderView* header = view->verticalHeader();
    const QPoint at(header->width() / 2, header->sectionViewportPosition(row) + header->sectionSize(row) / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace allocation_test
