#pragma once
// The rolling trace log. One object per process, owned by the AppContext.
// Safe to call from any thread.

#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>

class QFile;

namespace app {

enum class TraceLevel : std::uint8_t { NoLog = 0, Info = 1, Warning = 2, Error = 3, Trace = 4, Debug = 5 };

// "NOLOG", "INFO", ... and "UNKNOWN" for any other value.
QString traceLevelName(int level);

class TraceLog {
public:
    TraceLog() = default;
    ~TraceLog();
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    // Builds the path and remembers the limits; later calls keep the first.
    // The folder is the per-user application-data location + the program's
    // log folder, or $PA_TRACE_DIR when that is set.
    void StartTraceLog(const QString& fileName, const QString& moduleName, int flag, int maxSizeMiB,
                       int maxFiles);
    // Writes when `level` is not above the current level and that is not 0.
    void Trace(int level, const QString& text);
    void Trace(TraceLevel level, const QString& text) { Trace(int(level), text); }
    void SetTraceLevel(int level);
    int traceLevel() const;
    void StopTraceLog();

    bool isStarted() const;
    QString filePath() const;
    // For tests: a maximum size in bytes instead of MiB.
    void setMaxSizeBytes(qint64 bytes);

private:
    // Callers hold mutex_ for all of these.
    void writeLocked(int level, const QString& text);
    void appendLineLocked(int level, const QString& text);
    bool openLocked();
    void rollLocked();
    void closeLocked();

    mutable std::mutex mutex_;
    bool started_ = false;
    bool disabled_ = false;  // the file could not be opened: silent for the run
    int level_ = 1;
    QString path_;
    QString module_;
    qint64 maxSize_ = 0;
    int maxFiles_ = 0;
    int entriesSinceCheck_ = 0;
    std::unique_ptr<QFile> file_;  // open after the first entry
};

}  // namespace app
