#include "categorization/AllocationGlyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace categorization {

namespace {

QPixmap blank() {
    QPixmap pixmap(AllocationGlyphs::kSize, AllocationGlyphs::kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// An empty box: every cell has one, so the grid reads as a check list.
void drawBox(QPainter& painter) {
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(0.5, 0.5, AllocationGlyphs::kSize - 1, AllocationGlyphs::kSize - 1));
}

void drawTick(QPainter& painter, const QColor& colour) {
    QPainterPath tick;
    tick.moveTo(3.0, 7.5);
    tick.lineTo(6.0, 10.5);
    tick.lineTo(11.0, 3.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
}

QPixmap glyph(AllocationCellState state) {
    QPixmap pixmap = blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawBox(painter);
    switch (state) {
        case AllocationCellState::NotAllocated: break;
        case AllocationCellState::New: drawTick(painter, QColor(0, 150, 40)); break;
        case AllocationCellState::Removed:
            drawTick(painter, QColor(170, 170, 170));
            painter.setPen(QPen(QColor(200, 30, 30), 1.6));
            painter.drawLine(QPointF(2.5, 11.5), QPointF(11.5, 2.5));
            break;
        case AllocationCellState::Kept: drawTick(painter, QColor(20, 20, 60)); break;
    }
    return pixmap;
}

// A red "no entry" disc.
QPixmap switchedOffMark() {
    QPixmap pixmap = blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 30, 30));
    painter.drawEllipse(QRectF(1.0, 1.0, AllocationGlyphs::kSize - 2, AllocationGlyphs::kSize - 2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(3.5, 6.0, AllocationGlyphs::kSize - 7, 2.0));
    return pixmap;
}

}  // namespace

AllocationGlyphs::AllocationGlyphs() {
    for (int s = 0; s < 4; ++s) cells_[size_t(s)] = glyph(AllocationCellState(s));
    switchedOff_ = switchedOffMark();
}

}  // namespace categorization
