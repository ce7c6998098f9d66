#include "profiles/ValidationGrid.h"

#include <QApplication>
#include <QDoubleValidator>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

namespace profiles {

namespace {

constexpr int kPictureSize = 14;

QPixmap activePicture(bool active) {
    QPixmap pixmap(kPictureSize, kPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.setBrush(active ? QColor(225, 245, 225) : QColor(240, 240, 240));
    painter.drawRoundedRect(QRectF(0.5, 0.5, kPictureSize - 1, kPictureSize - 1), 2, 2);
    if (active) {
        QPainterPath tick;
        tick.moveTo(3.0, 7.5);
        tick.lineTo(6.0, 10.5);
        tick.lineTo(11.0, 3.5);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0, 140, 40), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
    } else {
        // A grey bar: validation is off, the value passes as measured.
        painter.setPen(QPen(QColor(160, 160, 160), 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4.0, 7.0), QPointF(10.0, 7.0));
    }
    return pixmap;
}

}  // namespace

bool parseLimit(const QString& text, QVariant* value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        *value = QVariant(QMetaType::fromType<double>());
        return true;
    }
    bool ok = false;
    double number = QLocale().toDouble(trimmed, &ok);
    if (!ok) number = QLocale::c().toDouble(trimmed, &ok);
    if (!ok) return false;
    *value = number;
    return true;
}

ValidationGridModel::ValidationGridModel(QObject* parent)
    : QIdentityProxyModel(parent),
      activePicture_(activePicture(true)),
      inactivePicture_(activePicture(false)) {}

void ValidationGridModel::setColumns(int activeColumn, int minimumColumn, int maximumColumn) {
    active_ = activeColumn;
    minimum_ = minimumColumn;
    maximum_ = maximumColumn;
}

void ValidationGridModel::setEditable(bool editable) {
    if (editable_ == editable) return;
    editable_ = editable;
    if (rowCount() > 0) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

QVariant ValidationGridModel::data(const QModelIndex& index, int role) const {
    if (index.column() == active_ && active_ >= 0) {
        if (role == Qt::CheckStateRole) return {};
        if (role == Qt::DecorationRole) {
            const QVariant state = QIdentityProxyModel::data(index, Qt::CheckStateRole);
            return picture(state.toInt() == Qt::Checked);
        }
    }
    return QIdentityProxyModel::data(index, role);
}

Qt::ItemFlags ValidationGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QIdentityProxyModel::flags(index) & ~Qt::ItemIsUserCheckable;
    if (!editable_ || !isLimitColumn(index.column())) flags &= ~Qt::ItemIsEditable;
    return flags;
}

ValidationGridDelegate::ValidationGridDelegate(const ValidationGridModel& model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

void ValidationGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    if (index.column() != model_.activeColumn()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The cell without its picture, then the picture in the middle.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QPixmap picture = qvariant_cast<QPixmap>(index.data(Qt::DecorationRole));
    cell.features &= ~QStyleOptionViewItem::HasDecoration;
    cell.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const QPoint corner =
        option.rect.center() - QPoint(picture.width() / 2, picture.height() / 2) + QPoint(1, 1);
    painter->drawPixmap(corner, picture);
}

QWidget* ValidationGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const {
    if (!model_.isLimitColumn(index.column()))
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("LimitEditor"));
    auto* validator = new QDoubleValidator(editor);
    validator->setNotation(QDoubleValidator::StandardNotation);
    editor->setValidator(validator);
    return editor;
}

void ValidationGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit || !model_.isLimitColumn(index.column())) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QVariant value = index.data(Qt::EditRole);
    edit->setText(value.isNull() ? QString() : QLocale().toString(value.toDouble(), 'g', 15));
}

void ValidationGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                          const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit || !model_.isLimitColumn(index.column())) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    QVariant value;
    // A text that is no number leaves the limit as it was.
    if (!parseLimit(edit->text(), &value)) return;
    const QVariant old = index.data(Qt::EditRole);
    if (old.isNull() == value.isNull() && (value.isNull() || old.toDouble() == value.toDouble())) return;
    model->setData(index, value, Qt::EditRole);
}

}  // namespace profiles
