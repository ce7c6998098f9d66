#include "reports/XlsxWorkbook.h"

#include <dlfcn.h>
#include <xlsxwriter.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <type_traits>

namespace reports {

namespace {

constexpr int kMaxCellText = 32767;

// The writer library is loaded when the first workbook is written, not at
// start-up: it brings a large cryptography library along that nothing else
// needs.
struct Writer {
    decltype(&::workbook_new) workbook_new = nullptr;
    decltype(&::workbook_add_worksheet) workbook_add_worksheet = nullptr;
    decltype(&::workbook_add_format) workbook_add_format = nullptr;
    decltype(&::workbook_close) workbook_close = nullptr;
    decltype(&::format_set_bold) format_set_bold = nullptr;
    decltype(&::format_set_num_format) format_set_num_format = nullptr;
    decltype(&::worksheet_write_string) worksheet_write_string = nullptr;
    decltype(&::worksheet_write_number) worksheet_write_number = nullptr;
    decltype(&::worksheet_write_boolean) worksheet_write_boolean = nullptr;
    decltype(&::worksheet_write_datetime) worksheet_write_datetime = nullptr;
    decltype(&::worksheet_set_column) worksheet_set_column = nullptr;
    decltype(&::lxw_strerror) lxw_strerror = nullptr;
    QString error;  // why it could not be loaded; empty when it was
};

const Writer& writer() {
    static const Writer loaded = [] {
        Writer w;
        void* library = dlopen(PA_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            w.error = QString::fromLocal8Bit(dlerror());
            return w;
        }
        const auto load = [&w, library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            if (!function && w.error.isEmpty())
                w.error = QStringLiteral("%1 has no %2")
                              .arg(QStringLiteral(PA_XLSXWRITER_LIBRARY), QLatin1String(name));
        };
        load(w.workbook_new, "workbook_new");
        load(w.workbook_add_worksheet, "workbook_add_worksheet");
        load(w.workbook_add_format, "workbook_add_format");
        load(w.workbook_close, "workbook_close");
        load(w.format_set_bold, "format_set_bold");
        load(w.format_set_num_format, "format_set_num_format");
        load(w.worksheet_write_string, "worksheet_write_string");
        load(w.worksheet_write_number, "worksheet_write_number");
        load(w.worksheet_write_boolean, "worksheet_write_boolean");
        load(w.worksheet_write_datetime, "worksheet_write_datetime");
        load(w.worksheet_set_column, "worksheet_set_column");
        load(w.lxw_strerror, "lxw_strerror");
        return w;
    }();
    return loaded;
}
constexpr double kMaxColumnWidth = 60.0;

lxw_datetime excelDateTime(const QDateTime& value) {
    const QDate d = value.date();
    const QTime t = value.time();
    return lxw_datetime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
}

class Sheet {
public:
    Sheet(lxw_workbook* workbook, lxw_worksheet* sheet) : sheet_(sheet) {
        bold_ = writer().workbook_add_format(workbook);
        writer().format_set_bold(bold_);
        date_ = writer().workbook_add_format(workbook);
        writer().format_set_num_format(date_, "yyyy-mm-dd");
        dateTime_ = writer().workbook_add_format(workbook);
        writer().format_set_num_format(dateTime_, "yyyy-mm-dd hh:mm:ss");
        time_ = writer().workbook_add_format(workbook);
        writer().format_set_num_format(time_, "hh:mm:ss");
    }

    lxw_error text(int row, int column, const QString& value, bool bold = false) {
        if (value.isEmpty()) return LXW_NO_ERROR;
        const QByteArray utf8 = value.left(kMaxCellText).toUtf8();
        return writer().worksheet_write_string(sheet_, lxw_row_t(row), lxw_col_t(column), utf8.constData(),
                                               bold ? bold_ : nullptr);
    }

    lxw_error value(int row, int column, const QVariant& value, db::FieldType type) {
        if (value.isNull() || !value.isValid()) return LXW_NO_ERROR;
        const auto r = lxw_row_t(row);
        const auto c = lxw_col_t(column);
        switch (type) {
            case db::FieldType::Integer:
            case db::FieldType::Float: {
                bool ok = false;
                const double number = value.toDouble(&ok);
                if (ok) return writer().worksheet_write_number(sheet_, r, c, number, nullptr);
                break;
            }
            case db::FieldType::Boolean:
                return writer().worksheet_write_boolean(sheet_, r, c, value.toBool(), nullptr);
            case db::FieldType::DateTime: {
                if (value.metaType().id() == QMetaType::QTime) {
                    const QTime t = value.toTime();
                    lxw_datetime time{0, 0, 0, t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
                    return writer().worksheet_write_datetime(sheet_, r, c, &time, time_);
                }
                const QDateTime dateTime = value.toDateTime();
                if (!dateTime.isValid()) break;
                lxw_datetime cell = excelDateTime(dateTime);
                return writer().worksheet_write_datetime(sheet_, r, c, &cell,
                                                         dateTime.time() == QTime(0, 0) ? date_ : dateTime_);
            }
            case db::FieldType::String:
            case db::FieldType::Unknown: break;
        }
        return text(row, column, value.toString());
    }

    void width(int column, double characters) {
        writer().worksheet_set_column(sheet_, lxw_col_t(column), lxw_col_t(column), characters, nullptr);
    }

private:
    lxw_worksheet* sheet_;
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
    lxw_format* dateTime_ = nullptr;
    lxw_format* time_ = nullptr;
};

bool isWriteError(lxw_error error) {
    switch (error) {
        case LXW_ERROR_CREATING_XLSX_FILE:
        case LXW_ERROR_CREATING_TMPFILE:
        case LXW_ERROR_READING_TMPFILE:
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE: return true;
        default: return false;
    }
}

WorkbookResult exportFailure(lxw_error error) {
    return {WorkbookFailure::Export, QString::fromUtf8(writer().lxw_strerror(error))};
}

// The sheet into a workbook at `file`; the writer's first error, if any.
lxw_error writeSheet(const QString& file, const QString& sheetName, const QString& title,
                     const TableData& table) {
    lxw_workbook* workbook = writer().workbook_new(QFile::encodeName(file).constData());
    if (!workbook) return LXW_ERROR_MEMORY_MALLOC_FAILED;
    const QByteArray name = excelSheetName(sheetName).toUtf8();
    lxw_worksheet* worksheet = writer().workbook_add_worksheet(workbook, name.constData());
    lxw_error first = worksheet ? LXW_NO_ERROR : LXW_ERROR_PARAMETER_VALIDATION;
    const auto keep = [&first](lxw_error e) {
        if (first == LXW_NO_ERROR) first = e;
    };
    if (worksheet) {
        Sheet sheet(workbook, worksheet);
        keep(sheet.text(0, 0, title, true));
        for (size_t c = 0; c < table.columns.size(); ++c) {
            keep(sheet.text(1, int(c), table.columns[c].caption, true));
            double width = table.columns[c].caption.size();
            for (size_t r = 0; r < table.rows.size() && r < 200; ++r)
                width = std::max<double>(width, table.rows[r][c].toString().size());
            sheet.width(int(c), std::min(width + 2, kMaxColumnWidth));
        }
        for (size_t r = 0; r < table.rows.size(); ++r)
            for (size_t c = 0; c < table.columns.size(); ++c)
                keep(sheet.value(int(r) + 2, int(c), table.rows[r][c], table.columns[c].type));
    }
    // Closing writes the file and frees the workbook, also after an error.
    const lxw_error closed = writer().workbook_close(workbook);
    return first != LXW_NO_ERROR ? first : closed;
}

}  // namespace

QString excelSheetName(const QString& wanted) {
    QString name = wanted;
    for (QChar& c : name)
        if (QStringLiteral("[]:*?/\\").contains(c)) c = u'_';
    while (name.startsWith(u'\'')) name.remove(0, 1);
    name.truncate(LXW_SHEETNAME_MAX);
    while (name.endsWith(u'\'')) name.chop(1);
    if (name.trimmed().isEmpty()) return QStringLiteral("Sheet1");
    return name;
}

WorkbookResult writeWorkbook(const QString& path, const QString& sheetName, const QString& title,
                             const TableData& table) {
    if (QFileInfo::exists(path) && !QFile::remove(path)) return {WorkbookFailure::DeleteExisting, {}};
    const QFileInfo target(path);
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             QStringLiteral(".XXXXXX"));
    if (!temporary.open()) return {WorkbookFailure::Write, temporary.errorString()};
    temporary.close();
    if (!writer().error.isEmpty()) return {WorkbookFailure::Export, writer().error};
    const lxw_error error = writeSheet(temporary.fileName(), sheetName, title, table);
    if (error != LXW_NO_ERROR) {
        if (isWriteError(error))
            return {WorkbookFailure::Write, QString::fromUtf8(writer().lxw_strerror(error))};
        return exportFailure(error);
    }
    if (!temporary.rename(path)) return {WorkbookFailure::Write, temporary.errorString()};
    temporary.setAutoRemove(false);
    // The temporary file was private to the user; the workbook is an ordinary file.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

}  // namespace reports
