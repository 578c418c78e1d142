#pragma once

#include <string>

namespace fields {

inline const int kNoCpmAddress = -1; // the address field is empty

// The address field counts as empty when its first two characters are blanks
// (or it has none): only those are looked at, whatever follows them.
bool IsCpmAddressFieldEmpty(const std::string& fieldText);

} // namespace fields
