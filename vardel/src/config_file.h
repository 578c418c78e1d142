#pragma once

#include <string>

namespace vardelwin {

// The text of the simulator's configuration: the file that VARDEL_CONFIG
// names, else Vardel.ini beside this DLL; empty when there is none.
std::string ReadConfigText();

} // namespace vardelwin
