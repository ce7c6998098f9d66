#pragma once
// The six calculation rules of a profile that the options dialog edits, and
// the rule between its categorisation boxes. Plain code: the dialog only
// moves values between these and its boxes.

namespace contracts {

struct ProfileOptions {
    bool neighbourWindSpeed = false;
    bool kerlift = false;
    bool derating = false;
    bool iec = false;
    bool eeg = false;
    bool derateUponReportCategory = false;
    bool operator==(const ProfileOptions&) const = default;
};

// How the dialog offers one box: shown at all, and changeable.
struct OptionOffer {
    bool visible = false;
    bool enabled = false;
};

struct OptionOffers {
    OptionOffer neighbourWindSpeed, kerlift, derating, derateUponReportCategory, iec, eeg;
};

// The dialog's boxes after a click on the IEC or EEG box.
struct OptionsState {
    ProfileOptions values;
    bool deratingEnabled = true;
    bool derateUponEnabled = true;
    bool iecEnabled = true;
    bool eegEnabled = true;
};

// EEG wins over IEC; either excludes the derating rules. With neither
// ticked the derating box returns to its value when the dialog was shown
// and derate-upon stays unticked (it only means something with derating
// chosen anew).
OptionsState applyCategorisationRule(const ProfileOptions& now, const ProfileOptions& shown);

}  // namespace contracts
