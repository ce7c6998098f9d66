#pragma once
// The one-line text dialog of the category configuration: renames a category
// set and edits a category's manual title. Apostrophes, semicolons, commas
// and double quotes never get into the text, neither typed nor pasted: the
// save lists are separated by them.

#include <QDialog>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TFormRenameCategorySet : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxLength = 100;

    explicit TFormRenameCategorySet(app::AppContext& context, QWidget* parent = nullptr);

    // Shows the dialog modally with `label` above the field and `text`,
    // without the refused characters, in it; the entered text (untrimmed)
    // when it ended with OK. The label is "Category set" again afterwards.
    std::optional<QString> ask(const QString& label, const QString& text);

    // The characters that are kept out of the field.
    static bool isRefused(QChar c);
    static QString withoutRefused(const QString& text);

    QLineEdit* edit() const { return Edit1; }

private:
    void buildUi();
    void setCaptions();
    void Edit1Edited(const QString& text);

    app::AppContext& context_;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
};
