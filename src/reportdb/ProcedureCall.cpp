#include "reportdb/ProcedureCall.h"

#include "reportdb/SqliteUtil.h"

#include <cmath>
#include <limits>

namespace reportdb {

namespace {

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Bool: return true;
        default: return false;
    }
}

constexpr qlonglong kIntMin = std::numeric_limits<qint32>::min();
constexpr qlonglong kIntMax = std::numeric_limits<qint32>::max();

bool fitsInt(qlonglong value) { return value >= kIntMin && value <= kIntMax; }

// [+-]digits: a whole number, however large.
bool isIntegerText(const QString& text) {
    qsizetype i = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9')) return false;
    return true;
}

bool overflow(QString* error) {
    if (error) *error = QStringLiteral("Arithmetic overflow error converting expression to data type int.");
    return false;
}

QString typeName(db::FieldType type) {
    switch (type) {
        case db::FieldType::Integer: return QStringLiteral("int");
        case db::FieldType::Float: return QStringLiteral("float");
        case db::FieldType::Boolean: return QStringLiteral("bit");
        case db::FieldType::DateTime: return QStringLiteral("datetime");
        default: return QStringLiteral("nvarchar");
    }
}

db::Parameter* findCommandParameter(db::Command& command, const QString& variable) {
    const QString key = normalizedParameterName(variable);
    for (auto& p : command.parameters)
        if (p.direction != db::ParameterDirection::ReturnValue && normalizedParameterName(p.name) == key)
            return &p;
    return nullptr;
}

bool takesInput(const db::Parameter& p) {
    return p.direction == db::ParameterDirection::Input || p.direction == db::ParameterDirection::InputOutput;
}

// Fills declared parameters that were not given: defaults, NULL for outputs.
bool completeArguments(const ProcedureDefinition& procedure, BoundCall* bound, QString* error) {
    Arguments ordered;
    for (const auto& declared : procedure.parameters) {
        if (bound->arguments.has(declared.name)) {
            ordered.set(declared.name, bound->arguments.value(declared.name));
        } else if (declared.hasDefault) {
            QVariant value;
            if (!convertArgument(declared.defaultValue, declared.type, &value, nullptr))
                value = declared.defaultValue;
            ordered.set(declared.name, value);
        } else {
            if (error)
                *error = QStringLiteral(
                             "Procedure or function '%1' expects parameter '%2', which was not supplied.")
                             .arg(procedure.name, declared.name);
            return false;
        }
    }
    bound->arguments = std::move(ordered);
    return true;
}

bool setArgument(const ProcedureDefinition& procedure, const ProcedureParameter& declared,
                 const QVariant& value, BoundCall* bound, QString* error) {
    if (bound->arguments.has(declared.name)) {
        if (error)
            *error = QStringLiteral("Procedure or function '%1' has parameter '%2' specified more than once.")
                         .arg(procedure.name, declared.name);
        return false;
    }
    QVariant converted;
    QString message;
    if (!convertArgument(value, declared.type, &converted, &message)) {
        if (error)
            *error =
                QStringLiteral("%1 (parameter '%2' of '%3')").arg(message, declared.name, procedure.name);
        return false;
    }
    bound->arguments.set(declared.name, converted);
    return true;
}

}  // namespace

bool convertArgument(const QVariant& value, db::FieldType type, QVariant* converted, QString* error) {
    if (value.isNull() || !value.isValid()) {
        *converted = sqlite::nullValue(type);
        return true;
    }
    const bool text = value.typeId() == QMetaType::QString;
    const QString trimmed = text ? value.toString().trimmed() : QString();
    auto fail = [&](const QString& what) {
        if (error) *error = QStringLiteral("Error converting %1 to data type %2.").arg(what, typeName(type));
        return false;
    };
    bool ok = true;
    switch (type) {
        case db::FieldType::Integer:
            // The server's int: 32 bits. A value beyond it is an error, never
            // wrapped onto another row's id; a decimal loses its fraction.
            if (text) {
                const qlonglong number = trimmed.isEmpty() ? 0 : trimmed.toLongLong(&ok);
                if (!ok && !isIntegerText(trimmed))
                    return fail(QStringLiteral("the value '%1'").arg(value.toString()));
                if (!ok || !fitsInt(number)) {
                    if (error)
                        *error = QStringLiteral(
                                     "The conversion of the nvarchar value '%1' overflowed an int "
                                     "column.")
                                     .arg(value.toString());
                    return false;
                }
                *converted = number;
            } else if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
                const double number = std::trunc(value.toDouble());
                if (!(number >= kIntMin && number <= kIntMax)) return overflow(error);
                *converted = qlonglong(number);
            } else if (value.typeId() == QMetaType::ULongLong) {
                if (value.toULongLong() > qulonglong(kIntMax)) return overflow(error);
                *converted = value.toLongLong();
            } else if (isNumber(value)) {
                const qlonglong number = value.toLongLong();
                if (!fitsInt(number)) return overflow(error);
                *converted = number;
            } else {
                return fail(QStringLiteral("a value"));
            }
            return true;
        case db::FieldType::Float:
            if (text) {
                const double number = trimmed.isEmpty() ? 0.0 : trimmed.toDouble(&ok);
                if (!ok) return fail(QStringLiteral("the value '%1'").arg(value.toString()));
                *converted = number;
            } else if (isNumber(value)) {
                *converted = value.toDouble();
            } else {
                return fail(QStringLiteral("a value"));
            }
            return true;
        case db::FieldType::Boolean:
            if (text) {
                if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
                    *converted = true;
                } else if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
                    *converted = false;
                } else {
                    const qlonglong number = trimmed.toLongLong(&ok);
                    if (!ok) return fail(QStringLiteral("the value '%1'").arg(value.toString()));
                    *converted = number != 0;
                }
            } else if (isNumber(value)) {
                *converted = value.toDouble() != 0.0;
            } else {
                return fail(QStringLiteral("a value"));
            }
            return true;
        case db::FieldType::DateTime:
            if (value.typeId() == QMetaType::QDateTime) {
                *converted = value;
            } else if (value.typeId() == QMetaType::QDate) {
                *converted = value.toDate().startOfDay();
            } else {
                const QDateTime parsed = text ? sqlite::parseDateTime(trimmed) : QDateTime();
                if (!parsed.isValid()) {
                    if (error)
                        *error = QStringLiteral(
                            "Conversion failed when converting date and/or time from character string.");
                    return false;
                }
                *converted = parsed;
            }
            return true;
        case db::FieldType::String:
            if (value.typeId() == QMetaType::QDateTime)
                *converted = sqlite::dateTimeText(value.toDateTime());
            else if (value.typeId() == QMetaType::Bool)
                *converted = value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
            else
                *converted = value.toString();
            return true;
        case db::FieldType::Unknown: break;
    }
    *converted = value;
    return true;
}

bool bindTextCall(const ProcedureDefinition& procedure, const ParsedCall& call, db::Command& command,
                  BoundCall* bound, QString* error) {
    *bound = BoundCall{};
    if (!call.returnVariable.isEmpty()) {
        bound->returnTarget = findCommandParameter(command, call.returnVariable);
        if (!bound->returnTarget) {
            if (error)
                *error = QStringLiteral("Must declare the scalar variable \"@%1\".").arg(call.returnVariable);
            return false;
        }
    }
    if (!bound->returnTarget) {
        for (auto& p : command.parameters)
            if (p.direction == db::ParameterDirection::ReturnValue) {
                bound->returnTarget = &p;
                break;
            }
    }
    if (call.arguments.size() > procedure.parameters.size()) {
        if (error)
            *error = QStringLiteral("Procedure or function %1 has too many arguments specified.")
                         .arg(procedure.name);
        return false;
    }
    for (size_t i = 0; i < call.arguments.size(); ++i) {
        const CallArgument& argument = call.arguments[i];
        const ProcedureParameter* declared = nullptr;
        if (argument.name.isEmpty()) {
            if (i >= procedure.parameters.size()) {
                if (error)
                    *error = QStringLiteral("Procedure or function %1 has too many arguments specified.")
                                 .arg(procedure.name);
                return false;
            }
            declared = &procedure.parameters[i];
        } else {
            declared = procedure.parameter(argument.name);
            if (!declared) {
                if (error)
                    *error = QStringLiteral("%1 is not a parameter for procedure %2.")
                                 .arg(argument.name, procedure.name);
                return false;
            }
        }
        QVariant value;
        switch (argument.kind) {
            case CallArgument::Kind::Literal: value = argument.value; break;
            case CallArgument::Kind::Null: break;
            case CallArgument::Kind::Default:
                if (!declared->hasDefault) {
                    if (error)
                        *error = QStringLiteral(
                                     "Procedure or function '%1' expects parameter '%2', which was not "
                                     "supplied.")
                                     .arg(procedure.name, declared->name);
                    return false;
                }
                continue;  // completeArguments fills the default
            case CallArgument::Kind::Variable: {
                db::Parameter* target = findCommandParameter(command, argument.variable);
                if (!target) {
                    if (error)
                        *error = QStringLiteral("Must declare the scalar variable \"@%1\".")
                                     .arg(argument.variable);
                    return false;
                }
                if (argument.output) {
                    if (!declared->output) {
                        if (error)
                            *error = QStringLiteral(
                                         "The formal parameter \"%1\" was not declared as an OUTPUT "
                                         "parameter, but the actual parameter passed in requested output.")
                                         .arg(declared->name);
                        return false;
                    }
                    bound->outputs.push_back({declared->name, target});
                }
                if (takesInput(*target) || argument.output) value = target->value;
                break;
            }
        }
        if (!setArgument(procedure, *declared, value, bound, error)) return false;
    }
    return completeArguments(procedure, bound, error);
}

bool bindCommandCall(const ProcedureDefinition& procedure, db::Command& command, BoundCall* bound,
                     QString* error) {
    *bound = BoundCall{};
    size_t position = 0;
    for (auto& p : command.parameters) {
        if (p.direction == db::ParameterDirection::ReturnValue) {
            if (!bound->returnTarget) bound->returnTarget = &p;
            continue;
        }
        const ProcedureParameter* declared = nullptr;
        if (p.name.isEmpty()) {
            declared = position < procedure.parameters.size() ? &procedure.parameters[position] : nullptr;
            if (!declared) {
                if (error)
                    *error = QStringLiteral("Procedure or function %1 has too many arguments specified.")
                                 .arg(procedure.name);
                return false;
            }
        } else {
            declared = procedure.parameter(p.name);
            if (!declared) {
                if (error)
                    *error =
                        QStringLiteral("%1 is not a parameter for procedure %2.").arg(p.name, procedure.name);
                return false;
            }
        }
        ++position;
        const bool wantsOutput = p.direction == db::ParameterDirection::Output ||
                                 p.direction == db::ParameterDirection::InputOutput;
        if (wantsOutput) {
            if (!declared->output) {
                if (error)
                    *error = QStringLiteral(
                                 "The formal parameter \"%1\" was not declared as an OUTPUT parameter, "
                                 "but the actual parameter passed in requested output.")
                                 .arg(declared->name);
                return false;
            }
            bound->outputs.push_back({declared->name, &p});
        }
        if (!setArgument(procedure, *declared, takesInput(p) ? p.value : QVariant(), bound, error))
            return false;
    }
    return completeArguments(procedure, bound, error);
}

void writeBack(const BoundCall& bound, const ProcedureResult& result) {
    for (const auto& output : bound.outputs) {
        const QString key = normalizedParameterName(output.parameter);
        QVariant value = bound.arguments.value(output.parameter);  // unchanged: its input value
        for (const auto& entry : result.outputs)
            if (normalizedParameterName(entry.first) == key) value = entry.second;
        output.target->value = value;
    }
    if (bound.returnTarget) bound.returnTarget->value = result.returnValue;
}

}  // namespace reportdb
