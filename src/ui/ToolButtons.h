#pragma once
// The pieces every window's tool bar and long step share: a flat icon button
// named for the tests and the accessibility bus, and the hour-glass held for
// the length of a scope.

#include <QStyle>

class QToolButton;
class QWidget;

namespace ui {

// A flat tool button `name` with the icon theme's `themeName` (the style's
// `fallback` where the theme has none, or always when `themeName` is null).
// Its icon is made when it is first drawn.
QToolButton* makeToolButton(QWidget* parent, const char* name, const char* themeName,
                            QStyle::StandardPixmap fallback, int iconSize = 20);

// The wait cursor from construction to destruction, also on an early return.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace ui
