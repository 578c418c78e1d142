#pragma once

#include <string>
#include <type_traits>

namespace script {

// A string as JSON writes it, quotes included, in pure ASCII: whatever code
// page a reader's console or pipe has, it cannot spoil a line. Every character
// outside ASCII becomes \uXXXX (beyond U+FFFF its two UTF-16 halves), control
// characters are escaped, and a byte that belongs to no valid UTF-8 becomes
// U+FFFD, so that a path with a stray byte still gives a line a reader parses.
std::string JsonString(const std::string& utf8);

// One JSON object, built key by key, as one line without its line end. Keys
// come in the order added; nothing checks that a key is added only once.
class JsonObject {
public:
    JsonObject& Add(const char* key, const std::string& utf8);
    // Without it a string literal would be taken for a bool.
    JsonObject& Add(const char* key, const char* utf8) { return Add(key, std::string(utf8)); }
    JsonObject& Add(const char* key, bool value);
    template <typename Integer, typename = std::enable_if_t<std::is_integral_v<Integer> &&
                                                            !std::is_same_v<Integer, bool>>>
    JsonObject& Add(const char* key, Integer number) {
        return AddRaw(key, std::to_string(number));
    }
    JsonObject& Add(const char* key, const JsonObject& object);
    // A value unknown is left out, never written as "" or null.
    JsonObject& AddIfKnown(const char* key, const std::string& utf8);
    // Seconds to a tenth, as the download record writes them; a value that is
    // no number (NaN, infinity) is not known and is left out.
    JsonObject& AddTenths(const char* key, double seconds);

    std::string Text() const { return "{" + m_members + "}"; }

private:
    JsonObject& AddRaw(const char* key, const std::string& json);

    std::string m_members; // "key":value,... without the braces
};

} // namespace script
