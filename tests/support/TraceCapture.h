#pragma once
// A trace log writing into a temporary folder at the most detailed level, so
// window tests can check the lines an operation leaves behind.

#include "app/TraceLog.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

class TraceCapture {
public:
    TraceCapture() {
        EXPECT_TRUE(dir_.isValid());
        {
            // The folder is read once, when the log starts.
            const QByteArray path = dir_.path().toLocal8Bit();
            ScopedEnv folder("PA_TRACE_DIR", &path);
            log_.StartTraceLog(QStringLiteral("Test_Trace.log"), QStringLiteral("Test"), 5, 10, 10);
        }
        log_.SetTraceLevel(5);
    }

    app::TraceLog& log() { return log_; }

    // The texts of the lines written so far, without time stamp, module and level.
    QStringList texts() const {
        QFile file(log_.filePath());
        QStringList out;
        if (!file.open(QIODevice::ReadOnly)) return out;
        const QString all = QString::fromUtf8(file.readAll());
        for (const QString& line : all.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            const qsizetype end = line.indexOf(QStringLiteral("> <"));
            const qsizetype text = end < 0 ? -1 : line.indexOf(QStringLiteral("> "), end + 3);
            out << (text < 0 ? line : line.mid(text + 2));
        }
        return out;
    }
    bool contains(const QString& text) const { return texts().contains(text); }
    // How many lines equal `text`.
    int count(const QString& text) const { return int(texts().count(text)); }

private:
    QTemporaryDir dir_;
    app::TraceLog log_;
};

}  // namespace testing_support
