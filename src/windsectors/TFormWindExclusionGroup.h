#pragma once
// "Wind exclusion group": asks for a wind sector group's title. Enter in the
// box acts as OK; OK needs a title that is not blank.

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TFormWindExclusionGroup : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxLength = 50;  // the title column's width

    explicit TFormWindExclusionGroup(app::AppContext& context, QWidget* parent = nullptr);

    // Shows the dialog with `title` in the box; the typed title, trimmed,
    // when it closed with OK.
    std::optional<QString> ask(const QString& title);

    QLineEdit* edit() const { return EditGroup; }

private:
    void buildUi();
    void setCaptions();
    void EditGroupChange();

    app::AppContext& context_;
    QLabel* LabelGroup = nullptr;
    QLineEdit* EditGroup = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
