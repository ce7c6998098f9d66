#include "ui/LookupDelegate.h"

#include "db/Value.h"

#include <QComboBox>

namespace ui {

namespace {

bool sameKey(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    return a.toLongLong() == b.toLongLong();
}

}  // namespace

bool LookupList::setRows(const db::ResultSet& rows, const QString& keyColumn, const QString& titleColumn,
                         const QString& noneTitle) {
    clear();
    const int key = rows.columnIndex(keyColumn), title = rows.columnIndex(titleColumn);
    if (key < 0 || title < 0) return false;
    entries_.push_back({QVariant(), noneTitle});
    for (const db::Row& row : rows.rows)
        entries_.push_back({row.at(size_t(key)), row.at(size_t(title)).toString()});
    return true;
}

void LookupList::clear() {
    entries_.clear();
    filter_ = {};
}

std::vector<LookupList::Entry> LookupList::offered() const {
    std::vector<Entry> out;
    for (const Entry& e : entries_)
        if (!filter_ || filter_(e.key)) out.push_back(e);
    return out;
}

QString LookupList::titleOf(const QVariant& key) const {
    for (const Entry& e : entries_)
        if (sameKey(e.key, key)) return e.title;
    return {};
}

bool LookupList::holds(const QVariant& key) const {
    for (const Entry& e : entries_)
        if (sameKey(e.key, key)) return true;
    return false;
}

LookupDelegate::LookupDelegate(const LookupList& list, QObject* parent)
    : QStyledItemDelegate(parent), list_(list) {}

QString LookupDelegate::displayText(const QVariant& value, const QLocale&) const {
    return list_.titleOf(value);
}

void LookupDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features |= QStyleOptionViewItem::HasDisplay;
    option->text = list_.titleOf(index.data(Qt::EditRole));
}

QWidget* LookupDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex& index) const {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("LookupEditor"));
    combo->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString());
    for (const LookupList::Entry& e : list_.offered()) combo->addItem(e.title, e.key);
    // A choice takes effect at once, as in the list it came from.
    connect(combo, &QComboBox::activated, this, [this, combo] {
        auto* self = const_cast<LookupDelegate*>(this);
        Q_EMIT self->commitData(combo);
        Q_EMIT self->closeEditor(combo);
    });
    return combo;
}

void LookupDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    const QVariant key = index.data(Qt::EditRole);
    for (int i = 0; i < combo->count(); ++i)
        if (sameKey(combo->itemData(i), key)) {
            combo->setCurrentIndex(i);
            return;
        }
    combo->setCurrentIndex(-1);
}

void LookupDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                  const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    if (combo->currentIndex() < 0) return;
    const QVariant key = combo->currentData();
    if (sameKey(key, index.data(Qt::EditRole))) return;  // no edit, no change held
    model->setData(index, key, Qt::EditRole);
}

}  // namespace ui
