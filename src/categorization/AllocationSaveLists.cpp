#include "categorization/AllocationSaveLists.h"

#include "db/DataSet.h"
#include "db/Value.h"

namespace categorization {

namespace af = allocation_field;

QString allocationListText(const QVariant& value) {
    if (value.isNull()) return QStringLiteral("0");
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    const QString text = value.toString();
    return text.isEmpty() ? QStringLiteral("0") : text;
}

std::vector<AllocationSaveCall> buildAllocationSaveCalls(const db::DataSet& dataSet, int maxListLength) {
    std::vector<AllocationSaveCall> calls;
    if (!dataSet.isOpen()) return calls;
    for (const db::RowView& row : dataSet.changedRows()) {
        if (row.status() != db::RowStatus::Modified) continue;
        const QString id = allocationListText(row.value(af::kAllocationId));
        const QString category = allocationListText(row.value(af::kCategory));
        const QString disabled = allocationListText(row.value(af::kDisabled));
        const auto fits = [maxListLength](const QString& list, const QString& entry) {
            return list.size() + (list.isEmpty() ? 0 : 1) + entry.size() <= maxListLength;
        };
        if (calls.empty() || !fits(calls.back().allocationIds, id) ||
            !fits(calls.back().categoryIds, category) || !fits(calls.back().disabledFlags, disabled))
            calls.emplace_back();
        AllocationSaveCall& call = calls.back();
        const auto append = [](QString& list, const QString& entry) {
            if (!list.isEmpty()) list += u',';
            list += entry;
        };
        append(call.allocationIds, id);
        append(call.categoryIds, category);
        append(call.disabledFlags, disabled);
    }
    return calls;
}

db::Command allocationSaveCommand(const AllocationVariant& variant, const AllocationSaveCall& call,
                                  int categorySetId) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QLatin1String(variant.saveProcedure);
    const auto add = [&command](const char* name, db::FieldType type, int size,
                                db::ParameterDirection direction, QVariant value) {
        command.parameters.push_back({QLatin1String(name), type, size, direction, std::move(value)});
    };
    add("@ReturnValue", db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {});
    add("@CategoryAllocationIdList", db::FieldType::String, kMaxSaveListLength, db::ParameterDirection::Input,
        call.allocationIds);
    add("@ReportCategoryIdList", db::FieldType::String, kMaxSaveListLength, db::ParameterDirection::Input,
        call.categoryIds);
    add("@CategoryAllocationDisabledList", db::FieldType::String, kMaxSaveListLength,
        db::ParameterDirection::Input, call.disabledFlags);
    if (variant.saveTakesCategorySet)
        add("@ReportCategorySetId", db::FieldType::Integer, 0, db::ParameterDirection::Input, categorySetId);
    return command;
}

}  // namespace categorization
