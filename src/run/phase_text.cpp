#include "run/phase_text.h"

namespace run {

const char* PhaseText(int phase) {
    static const char* const kTexts[kPhaseCount] = {
        "Starting Download...",        "Initialising CPM...",         "Start CPR Communication...",
        "Erasing CPR Flash...",        "Erasing IOP Flash...",        "Programming CPR Flash...",
        "Programming IOP Flash...",    "Download successful!",        "Verifying Program Data ...",
        "Preparing Download Data ...", "Download cancelled by user!", "Error!"};
    return phase >= 0 && phase < kPhaseCount ? kTexts[phase] : nullptr;
}

} // namespace run
