#include "script/command_line.h"

#include "res/resource.h"
#include "script/approved_list.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace script {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// Decimal digits, within int; nothing else.
std::optional<int> ParseInt(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    long long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > INT_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<int>(value);
}

// "3" or "COM3", as the port list and the settings file name ports.
std::optional<int> ParsePort(std::string text) {
    text = Lower(text);
    if (text.compare(0, 3, "com") == 0) {
        text.erase(0, 3);
    }
    const std::optional<int> port = ParseInt(text);
    return port && *port >= 1 && *port <= 16 ? port : std::nullopt;
}

std::optional<int> ParseCount(const std::string& text, int low, int high) {
    const std::optional<int> count = ParseInt(text);
    return count && *count >= low && *count <= high ? count : std::nullopt;
}

std::optional<int> ParseTarget(const std::string& text) {
    const std::string name = Lower(text);
    if (name == "prim") {
        return 0;
    }
    if (name == "red") {
        return 1;
    }
    return std::nullopt;
}

// Applies one switch; false when its value does not parse.
bool ApplyValue(Request& r, const std::string& name, const std::string& value) {
    if (name == "port") {
        r.port = ParsePort(value);
        return r.port.has_value();
    }
    if (name == "address") {
        const auto addresses = ParseAddressList(value);
        r.addresses = addresses.value_or(std::vector<int>());
        r.addressText = value;
        return addresses.has_value();
    }
    if (name == "target") {
        r.target = ParseTarget(value);
        return r.target.has_value();
    }
    if (name == "retry") {
        r.retry = ParseCount(value, 0, 255); // never cut to a byte unseen
        return r.retry.has_value();
    }
    if (name == "timeout") {
        r.timeoutSeconds = ParseCount(value, 1, 86400); // up to a day
        return r.timeoutSeconds.has_value();
    }
    if (name == "attempts") {
        const std::optional<int> attempts = ParseCount(value, 1, 10);
        r.attempts = attempts.value_or(1);
        return attempts.has_value();
    }
    if (name == "sha256") {
        const std::optional<std::string> hash = Sha256Value(value);
        r.sha256 = hash.value_or("");
        return hash.has_value();
    }
    r.logPath = value; // "log"
    return !value.empty();
}

bool* FlagOf(Request& r, const std::string& name) {
    if (name == "wait") {
        return &r.wait;
    }
    if (name == "quiet") {
        return &r.quiet;
    }
    if (name == "keepgoing") {
        return &r.keepGoing;
    }
    if (name == "simulate") {
        return &r.simulate;
    }
    if (name == "json") {
        return &r.json;
    }
    if (name == "?") {
        return &r.help;
    }
    if (name == "version") {
        return &r.version;
    }
    if (name == "ports") {
        return &r.ports;
    }
    return nullptr;
}

const char* const kWithValue[] = {"port", "address", "target",   "retry",
                                  "log",  "timeout", "attempts", "sha256"};

bool TakesValue(const std::string& name) {
    return std::find(std::begin(kWithValue), std::end(kWithValue), name) != std::end(kWithValue);
}

// "/Port:3" -> "port"
std::string SwitchName(const std::string& argument) {
    const size_t colon = argument.find(':');
    return Lower(argument.substr(1, colon == std::string::npos ? colon : colon - 1));
}

// The words a command line may start with: what it asks the program to do.
bool IsCommand(const std::string& name) {
    return name == "download" || name == "?" || name == "version" || name == "ports";
}

bool IsProgramSwitch(const std::string& argument) {
    if (argument.empty() || argument[0] != '/') {
        return false;
    }
    Request any;
    const std::string name = SwitchName(argument);
    return IsCommand(name) || TakesValue(name) || FlagOf(any, name) != nullptr;
}

ParseResult Refuse(const platform::TextLookup& text, int id, const std::string& what) {
    return {std::nullopt, platform::FormatText(text(id), {what})};
}

} // namespace

bool IsSwitchCommandLine(const std::vector<std::string>& arguments) {
    return (!arguments.empty() && !arguments[0].empty() && arguments[0][0] == '/') ||
           std::any_of(arguments.begin(), arguments.end(), IsProgramSwitch);
}

ParseResult ParseRequest(const std::vector<std::string>& arguments,
                         const platform::TextLookup& text) {
    const std::string first = arguments.empty() ? "" : Lower(arguments[0]);
    if (first.empty() || first[0] != '/' || !IsCommand(first.substr(1))) {
        return Refuse(text, IDS_SCRIPT_NOT_FIRST, arguments.empty() ? "" : arguments[0]);
    }
    Request r;
    r.help = first == "/?";
    r.version = first == "/version";
    r.ports = first == "/ports";
    std::vector<std::string> seen{first.substr(1)};
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty() || argument[0] != '/') {
            if (!r.file.empty()) {
                return Refuse(text, IDS_SCRIPT_SECOND_FILE, argument);
            }
            r.file = argument;
            continue;
        }
        const size_t colon = argument.find(':');
        const std::string name = SwitchName(argument);
        for (const std::string& earlier : seen) {
            if (earlier == name) {
                return Refuse(text, IDS_SCRIPT_TWICE, argument);
            }
        }
        seen.push_back(name);
        if (bool* flag = FlagOf(r, name)) {
            if (colon != std::string::npos) {
                return Refuse(text, IDS_SCRIPT_BAD_VALUE, argument);
            }
            *flag = true;
        } else if (!TakesValue(name)) {
            return Refuse(text, IDS_SCRIPT_UNKNOWN_SWITCH, argument);
        } else if (colon == std::string::npos || !ApplyValue(r, name, argument.substr(colon + 1))) {
            return Refuse(text, IDS_SCRIPT_BAD_VALUE, argument);
        }
    }
    if (r.quiet && r.wait) {
        return {std::nullopt, text(IDS_SCRIPT_QUIET_AND_WAIT)};
    }
    return {r, ""};
}

std::optional<std::vector<int>> ParseAddressList(const std::string& text) {
    std::vector<int> addresses;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? comma : comma - start);
        const size_t dash = item.find('-');
        const std::optional<int> low = ParseInt(item.substr(0, dash));
        const std::optional<int> high =
            dash == std::string::npos ? low : ParseInt(item.substr(dash + 1));
        if (!low || !high || *low > *high || *high > 255) {
            return std::nullopt;
        }
        for (int address = *low; address <= *high; ++address) {
            addresses.push_back(address);
        }
        if (comma == std::string::npos) {
            return addresses;
        }
        start = comma + 1;
    }
}

} // namespace script
