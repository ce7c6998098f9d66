#pragma once
// The event allocation window: one row per event code of the chosen event
// list, one glyph column per category of the chosen category set.

#include "categorization/CategoryAllocationWindow.h"
#include "categorization/TFormCatagorySelect.h"

class QLabel;
class QLineEdit;

class TFormCatagoryAllocation : public categorization::CategoryAllocationWindow {
    Q_OBJECT

public:
    static constexpr int kTextEventList = 471;
    static constexpr int kTextCategorySet = 472;
    static constexpr int kTextProfile = 380;

    explicit TFormCatagoryAllocation(app::AppContext& context, QWidget* parent = nullptr);

    // Sets the window up for a profile and a chosen set and list; the next
    // show loads it.
    void Prepare(const categorization::ProfileInfo& profile,
                 const categorization::CategorySelection& selection,
                 categorization::RegenerationMarker marker);
    // Prepare and show modally: 1 when something was written, 2 otherwise.
    int Execute(const categorization::ProfileInfo& profile,
                const categorization::CategorySelection& selection,
                categorization::RegenerationMarker marker);

    const categorization::CategorySelection& selection() const { return selection_; }
    QStringList reportHeaderTexts() override;

protected:
    db::Command loadCommand() const override;
    int categorySetId() const override { return selection_.ReportCategorySetId; }
    void setInputCaptions() override;
    categorization::AllocationFile emptyFile() const override;
    bool fileBelongsHere(const categorization::AllocationFile& file) override;
    bool enablesApplyOnEveryImport() const override { return true; }

private:
    categorization::CategorySelection selection_;
    QLabel* LabelEventList = nullptr;
    QLineEdit* EditEventList = nullptr;
    QLabel* LabelCategorySet = nullptr;
    QLineEdit* EditCategorySet = nullptr;
};
