#pragma once
// Moves every code allocated to one category over to another, inside the
// open allocation grid; the allocation window saves the grid as usual.

#include <QDialog>
#include <QString>
#include <functional>
#include <map>

class QComboBox;
class QLabel;
class QPushButton;

namespace app {
class AppContext;
}

namespace categorization {
class AllocationGrid;
}

class TFormMapCategory : public QDialog {
    Q_OBJECT

public:
    static constexpr int kModeEvents = 1;
    static constexpr int kModeDerating = 2;
    static constexpr int kTextCaption = 520;
    static constexpr int kTextSource = 521;
    static constexpr int kTextDestination = 522;
    static constexpr int kTextMove = 523;
    static constexpr int kTextDone = 9082;

    explicit TFormMapCategory(app::AppContext& context, QWidget* parent = nullptr);

    // Shows the dialog modally over `grid` until Done; `moved` is called
    // after every move. In event mode without IEC reporting the row of
    // event code 0 is never moved.
    void Execute(categorization::AllocationGrid& grid, int mode, bool usesIecReporting,
                 std::function<void()> moved);
    // Execute without showing: the dialog is ready to show.
    void Prepare(categorization::AllocationGrid& grid, int mode, bool usesIecReporting,
                 std::function<void()> moved);

    // Event handlers.
    void ComboBoxSourceChange();
    void ComboBoxDestinationChange();
    void ButtonMoveClick();

private:
    void buildUi();
    void setCaptions();
    int fieldOf(const QComboBox* box) const;

    app::AppContext& context_;
    categorization::AllocationGrid* grid_ = nullptr;
    bool keepNormalOperationRow_ = false;
    std::function<void()> moved_;
    // Category title -> field of the grid, ordered by title.
    std::map<QString, int> titleFields_;

    QLabel* LabelSource = nullptr;
    QComboBox* ComboBoxSource = nullptr;
    QLabel* LabelDestination = nullptr;
    QComboBox* ComboBoxDestination = nullptr;
    QPushButton* ButtonMove = nullptr;
    QPushButton* ButtonDone = nullptr;
};
