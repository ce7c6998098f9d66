#include "ui/DataSetModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTableView>

namespace {

using db::DataSet;
using db::FieldType;
using db::RowStatus;
using ui::DataSetModel;

db::ResultSet curvePoints(int count) {
    db::ResultSet rs;
    rs.columns = {{QStringLiteral("PointId"), FieldType::Integer, 0},
                  {QStringLiteral("WindSpeed"), FieldType::Float, 0},
                  {QStringLiteral("Power"), FieldType::Float, 0},
                  {QStringLiteral("Valid"), FieldType::Boolean, 0}};
    for (int i = 0; i < count; ++i) rs.rows.push_back({qlonglong(i + 1), 0.5 * i, 100.0 * i, i % 3 != 0});
    return rs;
}

// Counts the structural signals a view would react to.
struct Signals {
    int resets = 0, inserted = 0, removed = 0, changed = 0, current = 0;
    int lastChangedRow = -1, lastCurrent = -2;
    explicit Signals(DataSetModel& m) {
        QObject::connect(&m, &QAbstractItemModel::modelReset, [this] { ++resets; });
        QObject::connect(&m, &QAbstractItemModel::rowsInserted, [this] { ++inserted; });
        QObject::connect(&m, &QAbstractItemModel::rowsRemoved, [this] { ++removed; });
        QObject::connect(&m, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& tl, const QModelIndex&) {
                             ++changed;
                             lastChangedRow = tl.row();
                         });
        QObject::connect(&m, &DataSetModel::currentRowMoved, [this](int row) {
            ++current;
            lastCurrent = row;
        });
    }
};

TEST(DataSetModel, ColumnsHeadersAndValues) {
    DataSet ds;
    ds.setRows(curvePoints(5));
    ds.setDisplayLabel(QStringLiteral("WindSpeed"), QStringLiteral("Wind speed [m/s]"));
    DataSetModel model(ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    ASSERT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Wind speed [m/s]"));
    EXPECT_DOUBLE_EQ(model.data(model.index(3, 2)).toDouble(), 300.0);
    // Booleans are check boxes.
    EXPECT_FALSE(model.data(model.index(0, 3)).isValid());
    EXPECT_EQ(model.data(model.index(0, 3), Qt::CheckStateRole), QVariant(Qt::Unchecked));
    EXPECT_EQ(model.data(model.index(1, 3), Qt::CheckStateRole), QVariant(Qt::Checked));
    EXPECT_TRUE(model.flags(model.index(1, 3)) & Qt::ItemIsUserCheckable);

    // Hidden fields are no columns; the field map follows.
    Signals s(model);
    ds.setVisible(QStringLiteral("PointId"), false);
    EXPECT_EQ(s.resets, 1);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.fieldAt(0), 1);
    EXPECT_EQ(model.columnOf(QStringLiteral("power")), 1);
    EXPECT_EQ(model.columnOf(QStringLiteral("PointId")), -1);
    EXPECT_DOUBLE_EQ(model.data(model.index(4, 0)).toDouble(), 2.0);

    // A visible calculated column shows, read-only.
    ds.addCalculatedField(QStringLiteral("Cp"), FieldType::Float, [](const db::RowView& r) {
        return QVariant(r.value(QStringLiteral("Power")).toDouble() / 10.0);
    });
    EXPECT_DOUBLE_EQ(model.data(model.index(2, 3)).toDouble(), 20.0);
    EXPECT_FALSE(model.setData(model.index(2, 3), 1.0));

    // An explicit column order shows exactly those visible fields in that order.
    model.setColumnOrder({QStringLiteral("Cp"), QStringLiteral("Missing"), QStringLiteral("PointId"),
                          QStringLiteral("WindSpeed")});
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Cp"));
    EXPECT_EQ(model.columnOf(QStringLiteral("WindSpeed")), 1);
    EXPECT_DOUBLE_EQ(model.data(model.index(2, 0)).toDouble(), 20.0);
    ds.setVisible(QStringLiteral("PointId"), true);
    EXPECT_EQ(model.columnOf(QStringLiteral("PointId")), 1);
}

TEST(DataSetModel, EditsGoThroughTheDataSet) {
    DataSet ds;
    ds.setRows(curvePoints(4));
    DataSetModel model(ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Signals s(model);

    ASSERT_TRUE(model.flags(model.index(2, 2)) & Qt::ItemIsEditable);
    ASSERT_TRUE(model.setData(model.index(2, 2), QStringLiteral("250.5")));
    EXPECT_EQ(ds.state(), db::DataSetState::Browse);
    EXPECT_EQ(s.lastCurrent, 2);
    EXPECT_EQ(ds.valueAt(2, 2), QVariant(250.5));
    EXPECT_EQ(model.data(model.index(2, 0), DataSetModel::RowStatusRole).toInt(), int(RowStatus::Modified));
    EXPECT_EQ(s.lastChangedRow, 2);

    ASSERT_TRUE(model.setData(model.index(0, 3), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(ds.valueAt(0, 3), QVariant(true));

    // Refused values leave the row as it was and say why.
    QString refusal;
    QObject::connect(&model, &DataSetModel::editFailed, [&refusal](const QString& m) { refusal = m; });
    EXPECT_FALSE(model.setData(model.index(1, 1), QStringLiteral("fast")));
    EXPECT_FALSE(refusal.isEmpty());
    EXPECT_EQ(ds.state(), db::DataSetState::Browse);

    // Read-only fields cannot be edited.
    ds.setReadOnly(QStringLiteral("WindSpeed"), true);
    EXPECT_FALSE(model.flags(model.index(1, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(1, 1), 3.0));
}

TEST(DataSetModel, FollowsDataSetChanges) {
    DataSet ds;
    DataSetModel model(ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QTableView view;  // a real view reacting to every signal
    view.setModel(&model);
    Signals s(model);
    EXPECT_EQ(model.columnCount(), 0);

    ds.setRows(curvePoints(6));
    EXPECT_EQ(s.resets, 1);

    ds.append();
    EXPECT_EQ(s.inserted, 1);
    EXPECT_EQ(model.rowCount(), 7);
    ds.setValue(0, 70);
    ds.post();
    EXPECT_EQ(model.data(model.index(6, 0)).toInt(), 70);
    EXPECT_EQ(model.data(model.index(6, 0), DataSetModel::RowStatusRole).toInt(), int(RowStatus::Inserted));

    ds.moveTo(0);
    ds.deleteRow();
    EXPECT_EQ(s.removed, 1);
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.data(model.index(0, 0)).toInt(), 2);

    ds.setFilter([](const db::RowView& r) { return r.value(QStringLiteral("Valid")).toBool(); });
    EXPECT_EQ(s.resets, 2);
    EXPECT_EQ(model.rowCount(), ds.recordCount());
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(model.data(model.index(row, 3), Qt::CheckStateRole), QVariant(Qt::Checked));

    ds.cancelBatch();
    EXPECT_EQ(s.resets, 3);
    ds.close();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_EQ(s.lastCurrent, -1);
}

TEST(DataSetModel, ChangesToManyRowsArriveAsOneReset) {
    DataSet ds;
    ds.setRows(curvePoints(50));
    DataSetModel model(ds);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QTableView view;
    view.setModel(&model);
    Signals s(model);

    ds.changeMany([&] {
        for (int row = 0; row < ds.recordCount(); row += 2) {
            ASSERT_TRUE(ds.moveTo(row));
            ASSERT_TRUE(ds.edit());
            ASSERT_TRUE(ds.setValue(2, 1.5 * row + 1));
            ASSERT_TRUE(ds.post());
        }
        ds.setFilter(
            [](const db::RowView& r) { return r.value(QStringLiteral("PointId")).toInt() % 2 == 1; });
    });
    EXPECT_EQ(s.resets, 1);
    EXPECT_EQ(s.changed, 0);
    // The view is told where the data set stands once it is over.
    EXPECT_EQ(s.current, 1);
    EXPECT_EQ(s.lastCurrent, ds.currentRow());
    ASSERT_EQ(model.rowCount(), 25);
    for (int row = 0; row < model.rowCount(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_DOUBLE_EQ(model.data(model.index(row, 2)).toDouble(), 3.0 * row + 1);
        EXPECT_EQ(model.data(model.index(row, 2), DataSetModel::RowStatusRole).toInt(),
                  int(RowStatus::Modified));
    }

    // Afterwards every change is told row by row again.
    ds.moveTo(1);
    ds.edit();
    ds.setValue(2, 7.0);
    ds.post();
    EXPECT_GT(s.changed, 0);
    EXPECT_EQ(s.lastChangedRow, 1);
}

TEST(DataSetModel, SurvivesItsDataSet) {
    auto ds = std::make_unique<DataSet>();
    ds->setRows(curvePoints(3));
    DataSetModel model(*ds);
    ds.reset();
    EXPECT_EQ(model.dataSet(), nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_FALSE(model.setData(model.index(0, 0), 1));
}

}  // namespace
