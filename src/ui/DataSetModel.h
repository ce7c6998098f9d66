#pragma once
// A table model over a db::DataSet: the visible fields are the columns,
// their display labels the headers; edits go through the data set (edit,
// set, post), so the held changes stay where the batch update finds them.

#include "db/DataSet.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace ui {

class DataSetModel : public QAbstractTableModel, private db::DataSetListener {
    Q_OBJECT

public:
    // The row's db::RowStatus as an int, for delegates that mark changed rows.
    static constexpr int RowStatusRole = Qt::UserRole + 1;

    explicit DataSetModel(db::DataSet& dataSet, QObject* parent = nullptr);
    ~DataSetModel() override;

    // Null once the data set was destroyed.
    db::DataSet* dataSet() const { return dataSet_; }
    // The data set's field shown in `column`, or -1.
    int fieldAt(int column) const;
    // The column showing the named field, or -1 when it is hidden or absent.
    int columnOf(const QString& fieldName) const;
    // Shows exactly these fields, in this order (those that exist and are
    // visible); an empty list shows every visible field in field order.
    void setColumnOrder(const QStringList& fieldNames);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

Q_SIGNALS:
    // The data set's current row moved (-1: none), so a window can follow
    // it with the view's selection.
    void currentRowMoved(int row);
    // setData was refused; the data set's message.
    void editFailed(const QString& message);

private:
    void dataSetAboutToBeReset() override;
    void dataSetReset() override;
    void rowAboutToBeInserted(int row) override;
    void rowInserted(int row) override;
    void rowAboutToBeRemoved(int row) override;
    void rowRemoved(int row) override;
    void rowsChanged(int first, int last) override;
    void currentRowChanged(int row) override;
    void dataSetDestroyed() override;
    void mapColumns();
    bool editable(int field) const;

    db::DataSet* dataSet_;
    std::vector<int> columns_;  // field index per column
    QStringList columnOrder_;
    bool resetting_ = false;
};

}  // namespace ui
