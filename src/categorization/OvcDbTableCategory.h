#pragma once
// The allocation grid: the number and title of each row stay in place on the
// left (with the row indicator as their vertical header) while the category
// cells scroll horizontally on the right. Two views share one model and one
// selection model and scroll vertically together; every row has the same
// fixed height, so thousands of rows scroll smoothly.

#include <QStyledItemDelegate>
#include <QWidget>

class QTableView;

namespace ui {
class DataSetModel;
}

namespace categorization {

// Draws a category cell's glyph centred on the cell's background.
class AllocationGlyphDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class OvcDbTableCategory : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTitleWidth = 220;
    static constexpr int kIndicatorWidth = 20;

    explicit OvcDbTableCategory(QWidget* parent = nullptr);

    // Not owned; the model's fields decide which view shows a column.
    void setModel(ui::DataSetModel* model);
    ui::DataSetModel* model() const { return model_; }

    // Left: number, title and the row indicator. Right: the category cells.
    QTableView* fixedView() const { return fixedView_; }
    QTableView* cellView() const { return cellView_; }
    int rowHeight() const { return rowHeight_; }

    // The category cell that has the keyboard focus, or -1 / -1.
    int currentRow() const;
    int currentField() const;
    // Makes a category cell current and scrolls it into view.
    void setCurrentCell(int row, int field);
    // The first visible row (the vertical scroll position), in rows.
    int topRow() const;
    // Names the category cells (for screen readers) by the grid's caption;
    // the fixed part is named by its column captions.
    void setCaption(const QString& caption);
    void setTopRow(int row);

Q_SIGNALS:
    // A mouse press on a category cell, or Space on the current one.
    void cellActivated(int row, int field);
    // A click on a row's indicator.
    void rowIndicatorClicked(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void configureColumns();
    void mirrorHorizontalBar(int minimum, int maximum);

    ui::DataSetModel* model_ = nullptr;
    QTableView* fixedView_ = nullptr;
    QTableView* cellView_ = nullptr;
    AllocationGlyphDelegate* delegate_ = nullptr;
    int rowHeight_ = 20;
};

}  // namespace categorization
