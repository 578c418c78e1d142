#pragma once

#include "platform/profile_store.h"

#include <map>
#include <optional>
#include <string>

namespace script {

// A SHA-256 value as people copy it, 64 hex digits of either case, in
// lower case; nothing for any other text.
std::optional<std::string> Sha256Value(const std::string& text);

// A plant's list of the firmware released for its CPMs: one SHA-256 value a
// line, each optionally followed by blanks and a name for it.
struct ApprovedList {
    std::map<std::string, std::string> names; // lower-case hash -> name, may be empty

    // The name of the file of this hash (lower-case hex); nothing when the
    // list does not have it.
    std::optional<std::string> NameOf(const std::string& sha256) const;
};

// The list, or its first line that is neither a comment nor a hash.
struct ApprovedListParse {
    std::optional<ApprovedList> list;
    int badLineNumber = 0; // from 1
    std::string badLine;
};

// The list's text as the file holds it: UTF-8 with or without a byte order
// mark, CR LF or LF. Blank lines and lines that start with '#' are comments.
// Anything else refuses the whole list: a list that says something the
// program cannot understand must not let firmware through.
ApprovedListParse ParseApprovedList(const std::string& text);

// The list named by the settings file's [FIRMWARE] APPROVED= ("" for none);
// a relative path lies beside the settings file.
std::string ApprovedListSetting(ProfileStore& profile, const std::string& settingsPath);

} // namespace script
