#include "ui/LazyIcon.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace {

QColor centre(const QPixmap& pixmap) { return pixmap.toImage().pixelColor(8, 8); }

QIcon square(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

}  // namespace

TEST(LazyIcon, IsMadeWhenFirstDrawnOnceForAllCopies) {
    int made = 0;
    const QIcon icon = ui::lazyIcon([&] { return ++made, square(Qt::red); });
    QToolButton button;  // laid out with it: not made yet
    button.setIcon(icon);
    button.adjustSize();
    EXPECT_EQ(made, 0);

    const QIcon copy = icon;
    QPixmap painted(16, 16);
    {
        QPainter painter(&painted);
        icon.paint(&painter, QRect(0, 0, 16, 16));
    }
    EXPECT_EQ(centre(painted), QColor(Qt::red));
    EXPECT_EQ(centre(copy.pixmap(16, 16)), QColor(Qt::red));
    EXPECT_EQ(made, 1);

    // A theme without the name gives the fallback.
    const QIcon fallback = ui::themeIcon(QStringLiteral("no-such-icon-in-any-theme"), square(Qt::blue));
    EXPECT_EQ(centre(fallback.pixmap(16, 16)), QColor(Qt::blue));
}
