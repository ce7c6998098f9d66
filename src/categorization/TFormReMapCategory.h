#pragma once
// Resolves the categories named in an imported allocation file to the
// categories of the receiving window: titles that match are taken at once,
// the user picks a category for each of the others.

#include "categorization/AllocationFile.h"

#include <QDialog>
#include <QString>
#include <utility>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QStatusBar;

namespace app {
class AppContext;
}

class TFormReMapCategory : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextUnresolved = 2;
    static constexpr int kTextOk = 50;
    static constexpr int kTextCancel = 51;
    static constexpr int kTextCaption = 9080;
    static constexpr int kTextExplanation = 9081;
    static constexpr int kTextKnownCategories = 9083;

    explicit TFormReMapCategory(app::AppContext& context, QWidget* parent = nullptr);

    // Fills every file category's resolved id from `known` (ReportCategoryId,
    // title). Shows the dialog only when a title matches none; false when
    // the user cancelled it, and then the file must not be applied.
    bool Execute(std::vector<categorization::AllocationFileCategory>& fileCategories,
                 const std::vector<std::pair<int, QString>>& known);

    // Execute without showing: true when every title matched, otherwise
    // the dialog is ready to show for the others.
    bool Prepare(std::vector<categorization::AllocationFileCategory>& fileCategories,
                 const std::vector<std::pair<int, QString>>& known);

    // Titles still unresolved.
    int unresolvedCount() const;

    // Event handlers.
    void ListViewUnknownCategoriesSelectItem();
    void CheckListBoxKnownItemsClickCheck(QListWidgetItem* item);

private:
    void buildUi();
    void setCaptions();
    // The file category of the selected unknown title; null when none.
    categorization::AllocationFileCategory* selectedCategory();
    void showChoice();
    void updateStatus();

    app::AppContext& context_;
    std::vector<categorization::AllocationFileCategory>* categories_ = nullptr;

    QLabel* LabelMissingCategories = nullptr;
    QListWidget* ListViewUnknownCategories = nullptr;
    QListWidget* CheckListBoxKnownItems = nullptr;
    QStatusBar* StatusBar = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
