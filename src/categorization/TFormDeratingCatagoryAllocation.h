#pragma once
// The derating allocation window: one row per power reduction mode of the
// profile, one glyph column per category of the profile's main set.

#include "categorization/CategoryAllocationWindow.h"

class TFormDeratingCatagoryAllocation : public categorization::CategoryAllocationWindow {
    Q_OBJECT

public:
    explicit TFormDeratingCatagoryAllocation(app::AppContext& context, QWidget* parent = nullptr);

    // Sets the window up for a profile; the next show loads it.
    void Prepare(const categorization::ProfileInfo& profile, categorization::RegenerationMarker marker);
    // Prepare and show modally: 1 when something was written, 2 otherwise.
    int Execute(const categorization::ProfileInfo& profile, categorization::RegenerationMarker marker);

protected:
    db::Command loadCommand() const override;
    categorization::AllocationFile emptyFile() const override;
    bool fileBelongsHere(const categorization::AllocationFile& file) override;
};
