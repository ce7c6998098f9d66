#include "QuietPrompts.h"

#include <iostream>

void QuietPrompts::message(ui::Icon, const QString& text, const QString& caption) {
    shown_ << caption + QStringLiteral(": ") + text;
    std::cerr << "message: " << caption.toStdString() << ": " << text.toStdString() << std::endl;
}

ui::Button QuietPrompts::question(ui::Icon, const QString& text, const QString& caption, ui::Buttons,
                                  ui::Button defaultButton) {
    shown_ << caption + QStringLiteral(": ") + text;
    std::cerr << "question: " << caption.toStdString() << ": " << text.toStdString() << std::endl;
    return defaultButton;
}
