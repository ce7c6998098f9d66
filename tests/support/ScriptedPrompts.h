#pragma once
// Prompts for tests: records every prompt and answers questions and file
// dialogs from queues. A question or file dialog with nothing queued fails
// the running test, and so does any prompt left unexpected by `expect...`.

#include "ui/Prompts.h"

#include <deque>
#include <vector>

namespace testing_support {

struct RecordedPrompt {
    enum class Kind { Message, Question, OpenFile, SaveFile, Clipboard, OpenWithDesktop, OpenUrl } kind;
    ui::Icon icon = ui::Icon::None;
    QString text;
    QString caption;
};

class ScriptedPrompts : public ui::Prompts {
public:
    ~ScriptedPrompts() override;

    void message(ui::Icon icon, const QString& text, const QString& caption) override;
    ui::Button question(ui::Icon icon, const QString& text, const QString& caption, ui::Buttons buttons,
                        ui::Button defaultButton) override;
    QString openFileName(const QString& caption, const QString& directory, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& directory, const QString& filter) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override { return clipboard_; }
    bool openWithDesktop(const QString& path) override;
    bool openUrl(const QString& address) override;
    QString defaultPrinterName() override { return printer_; }

    // Answers for the next questions and file dialogs, in order.
    void answer(ui::Button button) { answers_.push_back(button); }
    void answerFile(const QString& path) { files_.push_back(path); }

    // Messages are allowed only when the test said so: by default any
    // message fails the test at destruction unless it was taken.
    void allowMessages(bool allow = true) { allowMessages_ = allow; }

    // The desktop's answers: whether files and web addresses open, and the
    // default printer (none unless set).
    void setDesktopOpens(bool opens) { desktopOpens_ = opens; }
    void setUrlOpens(bool opens) { urlOpens_ = opens; }
    void setPrinter(const QString& name) { printer_ = name; }

    const std::vector<RecordedPrompt>& recorded() const { return recorded_; }
    // Removes and returns everything recorded so far.
    std::vector<RecordedPrompt> take();
    // The last recorded prompt's text, or an empty text.
    QString lastText() const { return recorded_.empty() ? QString() : recorded_.back().text; }
    QString clipboard() const { return clipboard_; }
    QStringList openedFiles() const { return opened_; }

private:
    std::vector<RecordedPrompt> recorded_;
    std::deque<ui::Button> answers_;
    std::deque<QString> files_;
    QString clipboard_;
    QStringList opened_;
    QString printer_;
    bool allowMessages_ = false;
    bool desktopOpens_ = true;
    bool urlOpens_ = true;
};

}  // namespace testing_support
