// The start-up benchmark's anchor: a bare Qt Widgets program that shows a
// 20x5 table and reports, once the table has been painted, the way the tool
// does: a "Start-up finished" line in a log file under $PA_TRACE_DIR.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPaintEvent>
#include <QTableWidget>
#include <QTimer>

namespace {

class Table : public QTableWidget {
public:
    Table() : QTableWidget(20, 5) {
        for (int row = 0; row < rowCount(); ++row)
            for (int column = 0; column < columnCount(); ++column)
                setItem(row, column, new QTableWidgetItem(QStringLiteral("Cell %1.%2").arg(row).arg(column)));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QTableWidget::paintEvent(event);
        if (reported_) return;
        reported_ = true;
        // After the paint has been handed on, as the tool's list is.
        QTimer::singleShot(0, this, [] {
            QFile log(QDir(qEnvironmentVariable("PA_TRACE_DIR")).filePath(QStringLiteral("bare.log")));
            if (log.open(QIODevice::WriteOnly | QIODevice::Append)) log.write("Start-up finished\r\n");
        });
    }

private:
    bool reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    Table table;
    table.resize(640, 480);
    table.show();
    // Ended by the benchmark once it has seen the report, like the tool.
    return application.exec();
}
