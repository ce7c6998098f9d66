#pragma once
// Accessible names for controls that show no caption of their own, so that
// screen readers, and tools driving the program through the accessibility
// bus, can find them. A caption's '&' marker and its padding are not part
// of the name.

#include <QString>

class QWidget;

namespace ui {

// Sets a control's hint. A control that shows no text of its own (an icon
// button) is also named by its hint.
void setHint(QWidget* control, const QString& hint);

// Names a control by the caption that labels it on screen (a group box
// title, a message above an edit).
void nameAfter(QWidget* control, const QString& caption);

}  // namespace ui
