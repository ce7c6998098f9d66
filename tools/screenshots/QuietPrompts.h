#pragma once
// Prompts for a run without a user: messages go to the error output,
// questions take their default answer, files and the clipboard are refused.

#include "ui/Prompts.h"

#include <QStringList>

class QuietPrompts : public ui::Prompts {
public:
    void message(ui::Icon icon, const QString& text, const QString& caption) override;
    ui::Button question(ui::Icon icon, const QString& text, const QString& caption, ui::Buttons buttons,
                        ui::Button defaultButton) override;
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void setClipboardText(const QString&) override {}
    bool openWithDesktop(const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
    QString defaultPrinterName() override { return {}; }

    // Every message and question shown, as "caption: text".
    const QStringList& shown() const { return shown_; }

private:
    QStringList shown_;
};
