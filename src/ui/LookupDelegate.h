#pragma once
// A grid column that holds the key of a row of another list: the cell shows
// the referenced row's title, and edits through a combo box over the list
// with a "none" entry first that clears the key.

#include <QString>
#include <QStyledItemDelegate>
#include <QVariant>
#include <functional>
#include <vector>

namespace db {
struct ResultSet;
}

namespace ui {

class LookupList {
public:
    struct Entry {
        QVariant key;  // null for "none"
        QString title;
    };
    using Filter = std::function<bool(const QVariant& key)>;

    // Takes the key and title columns of `rows`; "none" comes first with
    // `noneTitle`. False when a column is missing.
    bool setRows(const db::ResultSet& rows, const QString& keyColumn, const QString& titleColumn,
                 const QString& noneTitle);
    void clear();
    bool isEmpty() const { return entries_.empty(); }

    // Which entries the editor offers ("none" is offered as the filter says
    // too); titles are shown for every key whatever the filter.
    void setFilter(Filter filter) { filter_ = std::move(filter); }
    std::vector<Entry> offered() const;

    // The title of `key`; "none" for a null key; empty for a key the list
    // does not hold.
    QString titleOf(const QVariant& key) const;
    bool holds(const QVariant& key) const;

private:
    std::vector<Entry> entries_;  // "none" first
    Filter filter_;
};

class LookupDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    LookupDelegate(const LookupList& list, QObject* parent = nullptr);

    QString displayText(const QVariant& value, const QLocale& locale) const override;
    // An empty key is drawn too: as "none".
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    const LookupList& list_;
};

}  // namespace ui
