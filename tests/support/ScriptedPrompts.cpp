#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace testing_support {

using Kind = RecordedPrompt::Kind;

ScriptedPrompts::~ScriptedPrompts() {
    if (!allowMessages_) {
        for (const auto& p : recorded_)
            ADD_FAILURE() << "Unexpected prompt left unchecked: [" << p.caption.toStdString() << "] "
                          << p.text.toStdString();
    }
    EXPECT_TRUE(answers_.empty()) << "Queued answers were never asked for";
    EXPECT_TRUE(files_.empty()) << "Queued file names were never asked for";
}

std::vector<RecordedPrompt> ScriptedPrompts::take() {
    std::vector<RecordedPrompt> out;
    out.swap(recorded_);
    return out;
}

void ScriptedPrompts::message(ui::Icon icon, const QString& text, const QString& caption) {
    recorded_.push_back({Kind::Message, icon, text, caption});
}

ui::Button ScriptedPrompts::question(ui::Icon icon, const QString& text, const QString& caption,
                                     ui::Buttons buttons, ui::Button) {
    recorded_.push_back({Kind::Question, icon, text, caption});
    if (answers_.empty()) {
        ADD_FAILURE() << "Unexpected question: [" << caption.toStdString() << "] " << text.toStdString();
        return (buttons & unsigned(ui::Button::Cancel)) ? ui::Button::Cancel : ui::Button::No;
    }
    const auto a = answers_.front();
    answers_.pop_front();
    EXPECT_TRUE(buttons & unsigned(a)) << "Answer not among the offered buttons for: " << text.toStdString();
    return a;
}

QString ScriptedPrompts::openFileName(const QString& caption, const QString&, const QString&) {
    recorded_.push_back({Kind::OpenFile, ui::Icon::None, QString(), caption});
    if (files_.empty()) {
        ADD_FAILURE() << "Unexpected open-file dialog: " << caption.toStdString();
        return {};
    }
    const auto f = files_.front();
    files_.pop_front();
    return f;
}

QString ScriptedPrompts::saveFileName(const QString& caption, const QString&, const QString&) {
    recorded_.push_back({Kind::SaveFile, ui::Icon::None, QString(), caption});
    if (files_.empty()) {
        ADD_FAILURE() << "Unexpected save-file dialog: " << caption.toStdString();
        return {};
    }
    const auto f = files_.front();
    files_.pop_front();
    return f;
}

void ScriptedPrompts::setClipboardText(const QString& text) {
    recorded_.push_back({Kind::Clipboard, ui::Icon::None, text, QString()});
    clipboard_ = text;
}

bool ScriptedPrompts::openWithDesktop(const QString& path) {
    recorded_.push_back({Kind::OpenWithDesktop, ui::Icon::None, path, QString()});
    opened_ << path;
    return desktopOpens_;
}

bool ScriptedPrompts::openUrl(const QString& address) {
    recorded_.push_back({Kind::OpenUrl, ui::Icon::None, address, QString()});
    return urlOpens_;
}

}  // namespace testing_support
