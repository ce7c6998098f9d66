#include "db/Value.h"

namespace db {

const Parameter* Command::parameter(const QString& name) const {
    for (const auto& p : parameters)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

Parameter* Command::parameter(const QString& name) {
    for (auto& p : parameters)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
    return nullptr;
}

const Parameter* Command::returnValueParameter() const {
    if (!parameters.empty() && parameters.front().direction == ParameterDirection::ReturnValue)
        return &parameters.front();
    return nullptr;
}

int ResultSet::columnIndex(const QString& name) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

}  // namespace db
