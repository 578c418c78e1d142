#include "ostrel.h"

extern "C" int32_t OstrelVersion(void) {
    return 0x0202;
}
