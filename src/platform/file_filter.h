#pragma once

#include <string>

namespace platform {

// A file dialog filter written as "Name|pattern|Name|pattern||", the way it is
// kept in the program, in the form the common dialog reads: each part ended by
// a NUL and the list by a second one.
std::string CommonDialogFilter(const std::string& filter);

} // namespace platform
