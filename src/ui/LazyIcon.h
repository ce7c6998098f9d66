#pragma once
// Icons made when they are first drawn or measured. The style decodes every
// size of a standard icon's images the moment it makes one, and a window
// builds its tool buttons long before (or without ever) being seen: made
// eagerly, the icons of the windows created at start-up cost more than the
// rest of their construction. Copies of one lazy icon share what was made.

#include <QIcon>
#include <QStyle>
#include <functional>

namespace ui {

// An icon that `make` gives on first use.
QIcon lazyIcon(std::function<QIcon()> make);

// The application style's standard icon.
QIcon standardIcon(QStyle::StandardPixmap pixmap);

// The icon theme's icon `name`, or `fallback` when the theme has none.
QIcon themeIcon(const QString& name, const QIcon& fallback);

}  // namespace ui
