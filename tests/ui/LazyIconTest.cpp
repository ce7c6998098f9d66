#include "ui/LazyIcon.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace {

QPixmap square(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return pixmap;
}

}  // namespace

TEST(LazyIcon, IsMadeOnFirstUseOnceForAllCopies) {
    int made = 0;
    const QIcon icon = ui::lazyIcon([&] {
        ++made;
        return QIcon(square(Qt::red));
    });
    // Set on a button and laid out: not made yet.
    QToolButton button;
    button.setIcon(icon);
    button.setIconSize(QSize(16, 16));
    button.adjustSize();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(made, 0);

    // Drawn through a copy, then through the original: made once.
    QIcon copy = icon;
    EXPECT_EQ(copy.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(icon.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    QPixmap target(16, 16);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        icon.paint(&painter, QRect(0, 0, 16, 16));
    }
    EXPECT_EQ(target.toImage().pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(made, 1);
}

TEST(LazyIcon, ThemeIconFallsBackWhenTheThemeHasNone) {
    const QIcon icon = ui::themeIcon(QStringLiteral("no-such-icon-in-any-theme"), QIcon(square(Qt::blue)));
    EXPECT_EQ(icon.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::blue));
    EXPECT_FALSE(ui::standardIcon(QStyle::SP_ArrowRight).pixmap(16, 16).isNull());
}
