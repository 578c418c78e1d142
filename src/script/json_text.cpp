#include "script/json_text.h"

#include <cmath>
#include <cstdio>

namespace script {
namespace {

// A code point and the bytes it took; no bytes: the one at hand starts no
// valid sequence.
struct Decoded {
    char32_t point;
    size_t length;
};

// UTF-8 as RFC 3629 has it: no overlong forms, no UTF-16 halves, nothing
// beyond U+10FFFF, no sequence cut short.
Decoded DecodeAt(const std::string& text, size_t at) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    size_t length = 0;
    char32_t point = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        return {lead, 1};
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        point = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
        least = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() - at < length) {
        return {0, 0};
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return {0, 0};
        }
        point = (point << 6) | (byte(at + i) & 0x3F);
    }
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return {0, 0};
    }
    return {point, length};
}

void AddUnit(std::string& json, char32_t unit) {
    static const char kDigits[] = "0123456789abcdef";
    json += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        json += kDigits[(unit >> shift) & 15];
    }
}

const char* ShortEscape(char32_t point) {
    switch (point) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '\b':
        return "\\b";
    case '\f':
        return "\\f";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        return nullptr;
    }
}

} // namespace

std::string JsonString(const std::string& utf8) {
    std::string json = "\"";
    for (size_t at = 0; at < utf8.size();) {
        const Decoded decoded = DecodeAt(utf8, at);
        const char32_t point = decoded.length == 0 ? 0xFFFD : decoded.point;
        at += decoded.length == 0 ? 1 : decoded.length;
        if (const char* escape = ShortEscape(point)) {
            json += escape;
        } else if (point >= 0x20 && point < 0x7F) {
            json += static_cast<char>(point);
        } else if (point < 0x10000) {
            AddUnit(json, point); // DEL too: no control character goes out raw
        } else {
            AddUnit(json, 0xD800 + ((point - 0x10000) >> 10));
            AddUnit(json, 0xDC00 + ((point - 0x10000) & 0x3FF));
        }
    }
    return json + "\"";
}

JsonObject& JsonObject::Add(const char* key, const std::string& utf8) {
    return AddRaw(key, JsonString(utf8));
}

JsonObject& JsonObject::Add(const char* key, bool value) {
    return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Add(const char* key, const JsonObject& object) {
    return AddRaw(key, object.Text());
}

JsonObject& JsonObject::AddIfKnown(const char* key, const std::string& utf8) {
    return utf8.empty() ? *this : Add(key, utf8);
}

JsonObject& JsonObject::AddTenths(const char* key, double seconds) {
    if (!std::isfinite(seconds)) {
        return *this;
    }
    char text[400]; // room for every finite double in full
    std::snprintf(text, sizeof text, "%.1f", seconds);
    std::string number = text;
    // A locale with a decimal comma writes 45,6; JSON knows only the point.
    for (char& c : number) {
        if (c != '-' && (c < '0' || c > '9')) {
            c = '.';
        }
    }
    return AddRaw(key, number);
}

JsonObject& JsonObject::AddRaw(const char* key, const std::string& json) {
    m_members += (m_members.empty() ? "" : ",") + JsonString(key) + ":" + json;
    return *this;
}

} // namespace script
