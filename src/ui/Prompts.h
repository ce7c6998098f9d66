#pragma once
// Every message box, question, file dialog, clipboard read and write and "open this
// file" of the program goes through Prompts, so windows stay testable.

#include <QString>
#include <QStringList>

class QWidget;

namespace ui {

enum class Icon { None, Information, Warning, Error, Question };

// Buttons of a question, and the answer it returns.
enum class Button {
    None = 0,
    Ok = 0x1,
    Cancel = 0x2,
    Yes = 0x4,
    No = 0x8,
    Abort = 0x10,
    Retry = 0x20,
    Ignore = 0x40,
};
using Buttons = unsigned;
inline Buttons operator|(Button a, Button b) { return unsigned(a) | unsigned(b); }
inline Buttons operator|(Buttons a, Button b) { return a | unsigned(b); }

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box with one OK button.
    virtual void message(Icon icon, const QString& text, const QString& caption) = 0;
    // A question; returns the button chosen (the default when closed by Escape
    // returns Cancel or No where offered).
    virtual Button question(Icon icon, const QString& text, const QString& caption, Buttons buttons,
                            Button defaultButton) = 0;
    // File dialogs; an empty result means the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& directory, const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& directory, const QString& filter) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    // The clipboard's text; empty when it holds none (or nothing may be read).
    virtual QString clipboardText() { return {}; }
    // Opens a file with the desktop's default program; false when it could not.
    virtual bool openWithDesktop(const QString& path) = 0;
    // Opens a web address in the desktop's browser; false when it could not.
    virtual bool openUrl(const QString& address) = 0;
    // The name of the default printer; empty when no printer is installed.
    virtual QString defaultPrinterName() = 0;

    // Windows register their parent for dialogs; null means no parent.
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    QWidget* parentWidget() const { return parent_; }

private:
    QWidget* parent_ = nullptr;
};

// The program's implementation on Qt's standard dialogs.
class QtPrompts : public Prompts {
public:
    void message(Icon icon, const QString& text, const QString& caption) override;
    Button question(Icon icon, const QString& text, const QString& caption, Buttons buttons,
                    Button defaultButton) override;
    QString openFileName(const QString& caption, const QString& directory, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& directory, const QString& filter) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override;
    bool openWithDesktop(const QString& path) override;
    bool openUrl(const QString& address) override;
    QString defaultPrinterName() override;
};

}  // namespace ui
