#include "ui/Prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QUrl>

namespace ui {

namespace {

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonPair {
    Button ours;
    QMessageBox::StandardButton qt;
};

constexpr ButtonPair kButtons[] = {
    {Button::Ok, QMessageBox::Ok},       {Button::Cancel, QMessageBox::Cancel},
    {Button::Yes, QMessageBox::Yes},     {Button::No, QMessageBox::No},
    {Button::Abort, QMessageBox::Abort}, {Button::Retry, QMessageBox::Retry},
    {Button::Ignore, QMessageBox::Ignore},
};

}  // namespace

void QtPrompts::message(Icon icon, const QString& text, const QString& caption) {
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok, parentWidget());
    box.exec();
}

Button QtPrompts::question(Icon icon, const QString& text, const QString& caption, Buttons buttons,
                           Button defaultButton) {
    QMessageBox::StandardButtons qtButtons;
    for (const auto& pair : kButtons)
        if (buttons & unsigned(pair.ours)) qtButtons |= pair.qt;
    QMessageBox box(toQt(icon), caption, text, qtButtons, parentWidget());
    for (const auto& pair : kButtons)
        if (pair.ours == defaultButton) box.setDefaultButton(pair.qt);
    const auto answer = QMessageBox::StandardButton(box.exec());
    for (const auto& pair : kButtons)
        if (pair.qt == answer) return pair.ours;
    if (buttons & unsigned(Button::Cancel)) return Button::Cancel;
    if (buttons & unsigned(Button::No)) return Button::No;
    return Button::None;
}

QString QtPrompts::openFileName(const QString& caption, const QString& directory, const QString& filter) {
    return QFileDialog::getOpenFileName(parentWidget(), caption, directory, filter);
}

QString QtPrompts::saveFileName(const QString& caption, const QString& directory, const QString& filter) {
    return QFileDialog::getSaveFileName(parentWidget(), caption, directory, filter);
}

void QtPrompts::setClipboardText(const QString& text) { QApplication::clipboard()->setText(text); }

QString QtPrompts::clipboardText() { return QApplication::clipboard()->text(); }

bool QtPrompts::openWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtPrompts::openUrl(const QString& address) { return QDesktopServices::openUrl(QUrl(address)); }

QString QtPrompts::defaultPrinterName() {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull()) return printer.printerName();
    const QStringList names = QPrinterInfo::availablePrinterNames();
    return names.isEmpty() ? QString() : names.front();
}

}  // namespace ui
