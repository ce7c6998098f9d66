#pragma once
// What the fuzz targets share: the size limits of the input formats, a check
// that ends the run on a broken contract, a Prompts that shows nothing, and a
// file to hand to readers that only take a path.

#include "ui/Prompts.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Inputs above its format's limit are refused before they reach a parser,
// so fuzzing them finds nothing the program could ever meet.
// Session files: real ones are a few KB; the reader refuses more than 16 MB.
inline constexpr std::size_t kSessionFileLimit = 16u << 20;
// Language files: a few KB; a megabyte holds every text many times over.
inline constexpr std::size_t kLanguageFileLimit = 1u << 20;
// Call texts: three save lists of at most 8000 characters each and the
// procedure's other arguments.
inline constexpr std::size_t kCallTextLimit = 64u << 10;
// Host lines: "32768 <wParam> <lParam>", a few of them a connection; the
// input reaches far past a line that is too long.
inline constexpr std::size_t kHostLineLimit = 64u << 10;
// Allocation files: the reader's own limit, a few hundred KB in practice.
inline constexpr std::size_t kAllocationFileLimit = 16u << 20;
// The export package reader refuses more (64 MB); fuzzing needs no more than this.
inline constexpr std::size_t kExportPackageLimit = 16u << 20;

// A broken contract is a finding: libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// Counts what would have been shown; answers every question with its default.
class SilentPrompts : public ui::Prompts {
public:
    void message(ui::Icon, const QString&, const QString&) override { ++messages; }
    ui::Button question(ui::Icon, const QString&, const QString&, ui::Buttons, ui::Button b) override {
        ++messages;
        return b;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void setClipboardText(const QString&) override {}
    bool openWithDesktop(const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
    QString defaultPrinterName() override { return {}; }

    int messages = 0;
};

// One file per process in the temporary folder, rewritten for every input
// and removed at exit.
class InputFile {
public:
    explicit InputFile(const char* suffix)
        : path_(QDir(QDir::tempPath())
                    .filePath(
                        QStringLiteral("pa-fuzz-%1%2").arg(QCoreApplication::applicationPid()).arg(suffix))) {
    }
    ~InputFile() { QFile::remove(path_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const QString& write(const std::uint8_t* data, std::size_t size) {
        QFile file(path_);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
        return path_;
    }

private:
    QString path_;
};

}  // namespace fuzz
