#pragma once
// The pictures of the allocation grid, drawn once per grid and then only
// handed out: one per cell state, and the row mark of a switched-off row.

#include "categorization/AllocationVariant.h"

#include <QPixmap>
#include <array>

namespace categorization {

class AllocationGlyphs {
public:
    static constexpr int kSize = 14;

    AllocationGlyphs();

    const QPixmap& cell(AllocationCellState state) const { return cells_[size_t(state)]; }
    const QPixmap& switchedOff() const { return switchedOff_; }

private:
    std::array<QPixmap, 4> cells_;
    QPixmap switchedOff_;
};

}  // namespace categorization
