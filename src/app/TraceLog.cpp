#include "app/TraceLog.h"

#include "db/Connection.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

namespace {

constexpr qint64 kBytesPerMiB = 1048576;
// The size is only looked at every so many entries: stat calls are not free.
constexpr int kEntriesPerSizeCheck = 20;
constexpr char kLogFolder[] = "Korvane/Skyloom Client/Logs";

QString logFolder() {
    const QString overridden = qEnvironmentVariable("PA_TRACE_DIR");
    if (!overridden.isEmpty()) return overridden;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) return {};
    return QDir(base).filePath(QString::fromLatin1(kLogFolder));
}

// "ProfileAdmin_Trace.log" started on 6 Dec 2026 -> "ProfileAdmin_Trace_20261206.log".
QString datedFileName(const QString& fileName, const QDate& date) {
    const qsizetype dot = fileName.indexOf(u'.');
    const QString stamp = u'_' + date.toString(QStringLiteral("yyyyMMdd"));
    if (dot < 0) return fileName + stamp;
    return fileName.left(dot) + stamp + fileName.mid(dot);
}

QString rolledName(const QString& path, int n) { return path + u'.' + QString::number(n); }

}  // namespace

QString traceLevelName(int level) {
    switch (level) {
        case 0: return QStringLiteral("NOLOG");
        case 1: return QStringLiteral("INFO");
        case 2: return QStringLiteral("WARNING");
        case 3: return QStringLiteral("ERROR");
        case 4: return QStringLiteral("TRACE");
        case 5: return QStringLiteral("DEBUG");
        default: return QStringLiteral("UNKNOWN");
    }
}

TraceLog::~TraceLog() {
    std::lock_guard lock(mutex_);
    closeLocked();
}

void TraceLog::StartTraceLog(const QString& fileName, const QString& moduleName, int /*flag*/, int maxSizeMiB,
                             int maxFiles) {
    std::lock_guard lock(mutex_);
    if (started_) return;
    const QString folder = logFolder();
    const QString name = datedFileName(fileName, QDate::currentDate());
    path_ = folder.isEmpty() ? name : QDir(folder).filePath(name);
    module_ = moduleName;
    maxSize_ = qint64(maxSizeMiB) * kBytesPerMiB;
    maxFiles_ = maxFiles;
    entriesSinceCheck_ = 0;
    disabled_ = false;
    started_ = true;
}

void TraceLog::Trace(int level, const QString& text) {
    std::lock_guard lock(mutex_);
    if (level > level_ || level_ == 0) return;
    // A connection string may reach the log inside an error text.
    writeLocked(level, db::maskPasswords(text));
}

void TraceLog::SetTraceLevel(int level) {
    std::lock_guard lock(mutex_);
    // The new level applies to its own announcement, so switching the log
    // off leaves no line behind.
    level_ = level;
    if (level_ < 1) return;
    writeLocked(1, QStringLiteral("Changing loglevel to ") + traceLevelName(level));
}

int TraceLog::traceLevel() const {
    std::lock_guard lock(mutex_);
    return level_;
}

void TraceLog::StopTraceLog() {
    std::lock_guard lock(mutex_);
    closeLocked();
    started_ = false;
    disabled_ = false;
}

bool TraceLog::isStarted() const {
    std::lock_guard lock(mutex_);
    return started_;
}

QString TraceLog::filePath() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void TraceLog::setMaxSizeBytes(qint64 bytes) {
    std::lock_guard lock(mutex_);
    maxSize_ = bytes;
}

void TraceLog::writeLocked(int level, const QString& text) {
    if (!started_ || disabled_) return;
    if (!file_ && !openLocked()) return;
    if (++entriesSinceCheck_ >= kEntriesPerSizeCheck) {
        entriesSinceCheck_ = 0;
        // A non-positive maximum means no limit rather than rolling on every check.
        if (maxSize_ > 0 && file_->size() >= maxSize_) {
            if (level_ >= 4) appendLineLocked(4, QStringLiteral("Roling to next file"));
            rollLocked();
            if (!file_) return;
        }
    }
    appendLineLocked(level, text);
}

void TraceLog::appendLineLocked(int level, const QString& text) {
    const QDateTime now = QDateTime::currentDateTime();
    const QString line = now.toString(QStringLiteral("HH:mm:ss")) + u' ' +
                         now.toString(QStringLiteral("MM/dd/yy")) + QStringLiteral(" <") + module_ +
                         QStringLiteral("> <") + traceLevelName(level) + QStringLiteral("> ") + text +
                         QStringLiteral("\r\n");
    file_->write(line.toUtf8());
    // Flushed line by line: the log is for support after a crash.
    file_->flush();
}

bool TraceLog::openLocked() {
    const QFileInfo info(path_);
    if (!info.absoluteDir().exists()) QDir().mkpath(info.absolutePath());
    auto file = std::make_unique<QFile>(path_);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        disabled_ = true;
        return false;
    }
    file_ = std::move(file);
    appendLineLocked(1, QStringLiteral("Starting Tracelog"));
    return true;
}

void TraceLog::rollLocked() {
    closeLocked();
    // Keeps at most maxFiles_ rolled files, <path>.0 (newest) to
    // <path>.<maxFiles_-1> (oldest): once they all exist, each roll drops the oldest.
    if (maxFiles_ > 0) {
        QFile::remove(rolledName(path_, maxFiles_ - 1));
        for (int n = maxFiles_ - 1; n >= 1; --n)
            QFile::rename(rolledName(path_, n - 1), rolledName(path_, n));
        QFile::rename(path_, rolledName(path_, 0));
    } else {
        QFile::remove(path_);
    }
    auto file = std::make_unique<QFile>(path_);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        disabled_ = true;
        return;
    }
    file_ = std::move(file);
}

void TraceLog::closeLocked() {
    if (!file_) return;
    file_->close();
    file_.reset();
}

}  // namespace app
