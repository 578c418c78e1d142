#include "script/ending_budget.h"

#include <algorithm>

namespace script {

EndingBudget EndingBudgetFor(std::optional<std::chrono::milliseconds> hungAppTimeout) {
    using std::chrono::milliseconds;
    const milliseconds kDefault(5000);
    const milliseconds given =
        std::clamp(hungAppTimeout.value_or(kDefault), milliseconds(0), kDefault);
    // A tenth is kept back (a quarter of a second at least) for the process
    // to end itself before Windows ends it: its exit code is then its own.
    const milliseconds margin = std::max(given / 10, milliseconds(250));
    const milliseconds total = std::max(given - margin, milliseconds(0));
    return {total / 2, total / 4, total};
}

} // namespace script
