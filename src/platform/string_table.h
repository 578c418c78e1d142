#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// The program's texts by string id: LoadString in the program, the compiled-in
// table (from the same source) where no resources exist.
using TextLookup = std::function<std::string(int id)>;

// The text of a string id from the table the resources are made of; empty
// when the table has none.
std::string StringTableText(int id);

// The text of a table entry with each "%s" replaced by the next argument.
std::string FormatText(const std::string& format, const std::vector<std::string>& arguments);

} // namespace platform
