// Ostrel.dll SIMULATOR: the serial helper library that Vardel.dll imports.
// Its version comes from the configuration, so that tests can make it one
// that Vardel.dll refuses.
#include "ostrel.h"

#include "config_file.h"
#include "sim/sim_config.h"

extern "C" int32_t OstrelVersion(void) {
    return vardel::ReadOstrelVersion(vardelwin::ReadConfigText());
}
