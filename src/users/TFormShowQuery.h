#pragma once
// The query log of the user administration: every procedure call it makes
// is added as one line, whether the window is showing or not.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TFormShowQuery : public QDialog {
    Q_OBJECT

public:
    explicit TFormShowQuery(app::AppContext& context, QWidget* parent = nullptr);

    void AddLine(const QString& line);
    QPlainTextEdit* memo() const { return MemoQuery; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();

    app::AppContext& context_;
    QPlainTextEdit* MemoQuery = nullptr;
    QPushButton* ButtonClose = nullptr;
    QPushButton* ButtonClear = nullptr;
};
