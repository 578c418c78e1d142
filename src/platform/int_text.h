#pragma once

#include <string>

namespace platform {

// Reads a whole field as a decimal integer the way a dialog field is read:
// blanks around it and a sign are allowed, anything else fails. Numbers beyond
// the int range saturate, so they stay out of any range check's bounds.
bool ParseIntegerText(const std::string& text, int& value);

} // namespace platform
