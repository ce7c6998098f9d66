#pragma once
// The choice of category set and event list before the event allocation
// window opens. Not shown when the profile has exactly one of each.

#include <QDialog>
#include <QString>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace app {
class AppContext;
}

namespace categorization {

// What the event allocation window works on.
struct CategorySelection {
    int ReportCategorySetId = 0;
    QString ReportCategorySetTitle;
    int EventListId = 0;
    QString EventListTitle;
};

}  // namespace categorization

class TFormCatagorySelect : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextOK = 50;
    static constexpr int kTextCancel = 51;
    static constexpr int kTextCategorySet = 432;
    static constexpr int kTextCaption = 450;
    static constexpr int kTextEventList = 451;

    explicit TFormCatagorySelect(app::AppContext& context, QWidget* parent = nullptr);

    // Reads the profile's enabled category sets and its event lists and lets
    // the user choose; false when nothing can be chosen or the user cancels.
    bool Select(int reportProfileId);
    const categorization::CategorySelection& selection() const { return selection_; }

    void ButtonOKClick();
    void ButtonCancelClick();

private:
    struct Entry {
        int id = 0;
        QString title;
    };

    void buildUi();
    void setCaptions();
    bool read(int reportProfileId, std::vector<Entry>* sets, std::vector<Entry>* lists);
    void fail(const QString& text, const QString& caption);

    app::AppContext& context_;
    categorization::CategorySelection selection_;

    QLabel* LabelCategorySet = nullptr;
    QComboBox* ComboBoxCategorySet = nullptr;
    QLabel* LabelEventList = nullptr;
    QComboBox* ComboBoxEventList = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
