#pragma once

#include "platform/string_table.h"

#include <optional>
#include <string>
#include <vector>

namespace script {

// What a scripted start asks for: TavroDownload.com /download [switches] [file].
// Values not given come from the settings file.
struct Request {
    bool help = false;    // /?: the usage, nothing else
    bool version = false; // /version: the program's and the library's versions, nothing else
    bool ports = false;   // /ports: the COM ports and their devices, nothing else
    std::optional<int> port;
    std::vector<int> addresses; // in the order given; empty: the settings' address
    std::string addressText;    // the /address value as given
    std::optional<int> target;  // 0 prim, 1 red
    std::optional<int> retry;   // 0..255: the library takes one byte
    std::string file;
    std::string logPath;
    std::optional<int> timeoutSeconds; // a run without progress for this long is aborted
    int attempts = 1;                  // runs of a CPM in all while its run ends in a line fault
    std::string sha256;                // the file's hash, lower-case hex; "": not checked
    bool wait = false;
    bool quiet = false;
    bool keepGoing = false;
    bool simulate = false; // the library must be the simulator, and may be
    bool json = false;     // the standard output carries JSON lines only
};

// Either a request or the message that refuses the command line; the message
// names the switch or value it refuses.
struct ParseResult {
    std::optional<Request> request;
    std::string error;
};

// A command line is a scripted one when its first argument is a switch or
// any argument is one of the program's switches; it then either parses or is
// refused, never taken for a path. Any other is a firmware path, as it always
// was.
bool IsSwitchCommandLine(const std::vector<std::string>& arguments);

// The arguments as Windows splits them, the program name left out.
ParseResult ParseRequest(const std::vector<std::string>& arguments,
                         const platform::TextLookup& text);

// "1,3,5-9": the addresses in the order written, ranges ascending. Nothing
// when the text is not such a list or a number exceeds 255. Whether each is a
// valid CPM address is the settings' rule, checked once they are read.
std::optional<std::vector<int>> ParseAddressList(const std::string& text);

} // namespace script
