#pragma once
// Allocation grids filled by hand: the load's three result sets built from a
// few rows, so the grid's rules can be tested without a database.

#include "categorization/AllocationVariant.h"
#include "db/Value.h"

#include <QString>
#include <QStringList>
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

}  // namespace allocation_test
