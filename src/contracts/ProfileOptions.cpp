#include "contracts/ProfileOptions.h"

namespace contracts {

OptionsState applyCategorisationRule(const ProfileOptions& now, const ProfileOptions& shown) {
    OptionsState state;
    state.values = now;
    if (now.eeg) {
        state.values.derating = state.values.derateUponReportCategory = state.values.iec = false;
        state.deratingEnabled = state.derateUponEnabled = state.iecEnabled = false;
    } else if (now.iec) {
        state.values.derating = state.values.derateUponReportCategory = state.values.eeg = false;
        state.deratingEnabled = state.derateUponEnabled = state.eegEnabled = false;
    } else {
        state.values.derating = shown.derating;
        state.values.derateUponReportCategory = false;
    }
    return state;
}

}  // namespace contracts
