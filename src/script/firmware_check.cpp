#include "script/firmware_check.h"

#include "res/resource.h"
#include "script/approved_list.h"

namespace script {

bool NeedsCheck(const std::string& expectedSha256, const std::string& listPath) {
    return !expectedSha256.empty() || !listPath.empty();
}

FirmwareVerdict JudgeFirmware(const FirmwareCheck& c, const platform::TextLookup& text) {
    const auto refuse = [&text](int id, const std::vector<std::string>& arguments) {
        return FirmwareVerdict{platform::FormatText(text(id), arguments), ""};
    };
    std::optional<ApprovedList> list;
    if (!c.listPath.empty()) {
        if (!c.listText) {
            return refuse(IDS_APPROVED_LIST_UNREADABLE, {c.listPath});
        }
        ApprovedListParse parse = ParseApprovedList(*c.listText);
        if (!parse.list) {
            return refuse(IDS_APPROVED_LIST_BAD_LINE,
                          {c.listPath, std::to_string(parse.badLineNumber), parse.badLine});
        }
        list = std::move(parse.list);
    }
    if (!c.sha256) {
        return refuse(IDS_FIRMWARE_UNREADABLE, {c.file});
    }
    if (!c.expectedSha256.empty() && *c.sha256 != c.expectedSha256) {
        return refuse(IDS_SHA256_MISMATCH, {c.file, *c.sha256, c.expectedSha256});
    }
    if (!list) {
        return {};
    }
    const std::optional<std::string> name = list->NameOf(*c.sha256);
    if (!name) {
        return refuse(IDS_NOT_APPROVED, {c.file, *c.sha256});
    }
    return {"", *name};
}

} // namespace script
