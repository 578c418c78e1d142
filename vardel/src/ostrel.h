#pragma once

#include <cstdint>

extern "C" {
// Version of the serial helper library; Vardel.dll refuses a different one.
// Plain C calling convention: the name needs no decoration in either build.
int32_t OstrelVersion(void);
}
