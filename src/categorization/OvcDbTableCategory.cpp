#include "categorization/OvcDbTableCategory.h"

#include "categorization/AllocationGlyphs.h"
#include "categorization/AllocationGrid.h"
#include "ui/AccessibleNames.h"
#include "ui/DataSetModel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

namespace categorization {

// ---------------------------------------------------------------- delegate

void AllocationGlyphDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    // Only the background and the cached picture: no text layout per cell.
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter, widget);
    const QPixmap glyph = index.data(Qt::DecorationRole).value<QPixmap>();
    if (!glyph.isNull()) {
        const QSize size = glyph.deviceIndependentSize().toSize();
        const QPoint topLeft(option.rect.x() + (option.rect.width() - size.width()) / 2,
                             option.rect.y() + (option.rect.height() - size.height()) / 2);
        painter->drawPixmap(topLeft, glyph);
    }
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = option.rect.adjusted(1, 1, -1, -1);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize AllocationGlyphDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {AllocationGlyphs::kSize + 6, AllocationGlyphs::kSize + 6};
}

// ---------------------------------------------------------------- grid

namespace {

QTableView* makeView(QWidget* parent, const char* name) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    // Both sides scroll by whole rows, so one scroll value fits both.
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view->setCornerButtonEnabled(false);
    view->horizontalHeader()->setSectionsMovable(false);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setHighlightSections(false);
    return view;
}

}  // namespace

OvcDbTableCategory::OvcDbTableCategory(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("OvcDbTableCategory"));
    fixedView_ = makeView(this, "OvcDbTableCategoryFixed");
    cellView_ = makeView(this, "OvcDbTableCategoryCells");
    delegate_ = new AllocationGlyphDelegate(cellView_);
    cellView_->setItemDelegate(delegate_);

    rowHeight_ = std::max(fontMetrics().height() + 4, AllocationGlyphs::kSize + 6);
    for (QTableView* view : {fixedView_, cellView_}) {
        view->verticalHeader()->setMinimumSectionSize(1);
        view->verticalHeader()->setDefaultSectionSize(rowHeight_);
    }
    // The left side shows the row indicator and never scrolls sideways; its
    // vertical position follows the right side's scroll bar.
    fixedView_->verticalHeader()->setFixedWidth(kIndicatorWidth);
    fixedView_->verticalHeader()->setSectionsClickable(true);
    fixedView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixedView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixedView_->setFocusPolicy(Qt::NoFocus);
    cellView_->verticalHeader()->hide();
    setFocusProxy(cellView_);

    connect(fixedView_->verticalScrollBar(), &QScrollBar::valueChanged, cellView_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(cellView_->verticalScrollBar(), &QScrollBar::valueChanged, fixedView_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(cellView_->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            &OvcDbTableCategory::mirrorHorizontalBar);
    connect(fixedView_->verticalHeader(), &QHeaderView::sectionClicked, this,
            &OvcDbTableCategory::rowIndicatorClicked);
    cellView_->viewport()->installEventFilter(this);
    cellView_->installEventFilter(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fixedView_);
    layout->addWidget(cellView_, 1);
}

void OvcDbTableCategory::setModel(ui::DataSetModel* model) {
    if (model_) disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    // Views do not delete a selection model they give up: the shared one of
    // the last model and the right view's own new one go here.
    QItemSelectionModel* previous = fixedView_->selectionModel();
    fixedView_->setModel(model);
    cellView_->setModel(model);
    QItemSelectionModel* shared = fixedView_->selectionModel();
    QItemSelectionModel* own = cellView_->selectionModel();
    cellView_->setSelectionModel(shared);
    if (own != shared) delete own;
    if (previous && previous != shared) delete previous;
    if (model_) {
        // A reset (opening, a view's filter) gives the headers fresh sections.
        connect(model_, &QAbstractItemModel::modelReset, this, &OvcDbTableCategory::configureColumns);
        connect(model_, &QAbstractItemModel::columnsInserted, this, &OvcDbTableCategory::configureColumns);
    }
    configureColumns();
}

void OvcDbTableCategory::configureColumns() {
    if (!model_) return;
    const QFontMetrics metrics = cellView_->horizontalHeader()->fontMetrics();
    QStringList fixedLabels;
    int fixedWidth = kIndicatorWidth + 2 * fixedView_->frameWidth();
    for (int column = 0; column < model_->columnCount(); ++column) {
        const int field = model_->fieldAt(column);
        const bool category = AllocationGrid::isCategoryField(field);
        fixedView_->setColumnHidden(column, category);
        cellView_->setColumnHidden(column, !category);
        const QString label = model_->headerData(column, Qt::Horizontal).toString();
        int width = metrics.horizontalAdvance(label) + 8;
        if (field == allocation_field::kTitle) width = kTitleWidth;
        if (category) width = std::max(width, AllocationGlyphs::kSize + 8);
        (category ? cellView_ : fixedView_)->setColumnWidth(column, width);
        if (!category) {
            fixedWidth += width;
            fixedLabels << label;
        }
    }
    ui::nameAfter(fixedView_, fixedLabels.join(QLatin1String(", ")));
    fixedView_->setFixedWidth(fixedWidth);
    const int headerHeight = std::max(fixedView_->horizontalHeader()->sizeHint().height(),
                                      cellView_->horizontalHeader()->sizeHint().height());
    fixedView_->horizontalHeader()->setFixedHeight(headerHeight);
    cellView_->horizontalHeader()->setFixedHeight(headerHeight);
}

void OvcDbTableCategory::mirrorHorizontalBar(int, int maximum) {
    // Both sides keep the same height of rows when the right one needs a
    // horizontal scroll bar.
    fixedView_->setHorizontalScrollBarPolicy(maximum > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

int OvcDbTableCategory::currentRow() const {
    const QModelIndex index = cellView_->currentIndex();
    return index.isValid() && currentField() >= 0 ? index.row() : -1;
}

int OvcDbTableCategory::currentField() const {
    const QModelIndex index = cellView_->currentIndex();
    if (!model_ || !index.isValid()) return -1;
    const int field = model_->fieldAt(index.column());
    return AllocationGrid::isCategoryField(field) ? field : -1;
}

void OvcDbTableCategory::setCurrentCell(int row, int field) {
    const db::DataSet* dataSet = model_ ? model_->dataSet() : nullptr;
    if (!dataSet || row < 0 || row >= model_->rowCount() || field < 0 || field >= dataSet->fieldCount())
        return;
    const int column = model_->columnOf(dataSet->field(field).name);
    if (column < 0) return;
    const QModelIndex index = model_->index(row, column);
    cellView_->setCurrentIndex(index);
    cellView_->scrollTo(index);
}

int OvcDbTableCategory::topRow() const { return cellView_->verticalScrollBar()->value(); }

void OvcDbTableCategory::setCaption(const QString& caption) { ui::nameAfter(cellView_, caption); }

void OvcDbTableCategory::setTopRow(int row) { cellView_->verticalScrollBar()->setValue(row); }

bool OvcDbTableCategory::eventFilter(QObject* watched, QEvent* event) {
    if (!model_) return QWidget::eventFilter(watched, event);
    if (watched == cellView_->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = cellView_->indexAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || !index.isValid()) return false;
        const int field = model_->fieldAt(index.column());
        if (!AllocationGrid::isCategoryField(field)) return false;
        // Taken here rather than by the view: a message shown for the click
        // must not leave the view in the middle of a drag selection.
        cellView_->setCurrentIndex(index);
        Q_EMIT cellActivated(index.row(), field);
        return true;
    }
    if (watched == cellView_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier) return false;
        if (!key->isAutoRepeat() && currentField() >= 0) Q_EMIT cellActivated(currentRow(), currentField());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace categorization
