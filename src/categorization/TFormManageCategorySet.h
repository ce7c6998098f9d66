#pragma once
// Orders, enables and renames the category sets of a profile. It works on a
// copy: the caller's sets change only when the dialog ends with OK.

#include "categorization/CategorySetOrder.h"

#include <QDialog>
#include <vector>

class QGroupBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;
class TFormRenameCategorySet;

namespace app {
class AppContext;
}

class TFormManageCategorySet : public QDialog {
    Q_OBJECT

public:
    TFormManageCategorySet(app::AppContext& context, TFormRenameCategorySet& rename,
                           QWidget* parent = nullptr);

    // Shows the sets modally; true, with `entries` replaced by the edited
    // copy, when it ended with OK.
    bool Execute(std::vector<categorization::CategorySetOrderEntry>& entries);

    const categorization::CategorySetOrder& order() const { return order_; }

    void BitBtnUpClick();
    void BitBtnDownClick();
    void ButtonRenameClick();

private:
    void buildUi();
    void setCaptions();
    void fillList(int selectPosition);
    void updateButtons();
    void CheckListBoxCategorySetClickCheck(QListWidgetItem* item);

    app::AppContext& context_;
    TFormRenameCategorySet& rename_;
    categorization::CategorySetOrder order_;
    bool filling_ = false;

    QGroupBox* GroupBoxCategorySet = nullptr;
    QListWidget* CheckListBoxCategorySet = nullptr;
    QToolButton* BitBtnUp = nullptr;
    QToolButton* BitBtnDown = nullptr;
    QPushButton* ButtonRename = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
};
