// The preview text of the files a folder holds.
#include "firmware/header_preview.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

namespace {

// The files there are, by path; any other cannot be opened.
std::optional<std::string> PreviewOf(const std::map<std::string, std::string>& files,
                                     const std::string& path) {
    return firmware::PreviewTextOf(path, [&files](const std::string& file, std::size_t maxBytes) {
        const auto found = files.find(file);
        return found == files.end() ? std::nullopt
                                    : std::optional<std::string>(found->second.substr(0, maxBytes));
    });
}

const std::string kHeader = "; Tavro CPM firmware\r\n; Version 4.1\r\n:020000040000FA\r\n";
const std::string kShown = "; Tavro CPM firmware\r\n; Version 4.1\r\n";

struct FileCase {
    const char* name;
    const char* file;
    std::string content;
    std::optional<std::string> expected;
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class PreviewOfFile : public testing::TestWithParam<FileCase> {};

TEST_P(PreviewOfFile, ShowsTheHeaderOfFirmwareFilesOnly) {
    const FileCase& c = GetParam();
    EXPECT_EQ(PreviewOf({{c.file, c.content}}, c.file), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PreviewOfFile,
    testing::Values(FileCase{"Firmware", "C:\\fw\\main.fdl", kHeader, kShown},
                    FileCase{"UpperCaseExtension", "C:\\fw\\MAIN.FDL", kHeader, kShown},
                    FileCase{"LfLineEnds", "lf.fdl", "; Tavro CPM firmware\n; Version 4.1\n:02\n",
                             kShown},
                    FileCase{"NoHeader", "data.fdl", ":020000040000FA\r\n", "-- no info --"},
                    FileCase{"Empty", "empty.fdl", "", "-- no info --"},
                    FileCase{"TextInFirmwareFolder", "C:\\old.fdl\\notes.txt", kHeader,
                             "-- no download file --"},
                    FileCase{"Backup", "main.fdl.bak", kHeader, "-- no download file --"}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST(HeaderPreview, FileThatCannotBeOpenedGivesNothing) {
    EXPECT_EQ(PreviewOf({}, "missing.fdl"), std::nullopt);
    // Not being a firmware file is decided before the file is looked at.
    EXPECT_EQ(PreviewOf({}, "missing.txt"), "-- no download file --");
}

} // namespace
