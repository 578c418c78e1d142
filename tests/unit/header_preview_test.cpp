// The preview text of real files in a folder of the test's own.
#include "firmware/header_preview.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

class HeaderPreview : public testing::Test {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_dir = fs::temp_directory_path() / ("tavro-preview-" + std::to_string(stamp));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    // Writes the file (name in UTF-8, folders made as needed) and returns its path.
    std::string Write(const std::string& name, const std::string& content) {
        const fs::path path = m_dir / fs::u8path(name);
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::out | std::ios::binary) << content;
        return Path(name);
    }
    std::string Path(const std::string& name) const {
        return (m_dir / fs::u8path(name)).u8string();
    }

    fs::path m_dir;
};

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

class PreviewOfFile : public HeaderPreview, public testing::WithParamInterface<FileCase> {};

TEST_P(PreviewOfFile, ShowsTheHeaderOfFirmwareFilesOnly) {
    const FileCase& c = GetParam();
    EXPECT_EQ(firmware::PreviewTextOf(Write(c.file, c.content)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PreviewOfFile,
    testing::Values(
        FileCase{"Firmware", "main.fdl", kHeader, kShown},
        FileCase{"UpperCaseExtension", "MAIN.FDL", kHeader, kShown},
        FileCase{"NonAsciiName",
                 "pr\xC3\xBC"
                 "fung.fdl",
                 kHeader, kShown},
        FileCase{"LfLineEnds", "lf.fdl", "; Tavro CPM firmware\n; Version 4.1\n:02\n", kShown},
        FileCase{"NoHeader", "data.fdl", ":020000040000FA\r\n", "-- no info --"},
        FileCase{"Empty", "empty.fdl", "", "-- no info --"},
        FileCase{"TextInFirmwareFolder", "old.fdl/notes.txt", kHeader, "-- no download file --"},
        FileCase{"Backup", "main.fdl.bak", kHeader, "-- no download file --"}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.name; });

TEST_F(HeaderPreview, FileThatCannotBeOpenedGivesNothing) {
    EXPECT_EQ(firmware::PreviewTextOf(Path("missing.fdl")), std::nullopt);
    // Not being a firmware file is decided before the file is looked at.
    EXPECT_EQ(firmware::PreviewTextOf(Path("missing.txt")), "-- no download file --");
}

} // namespace
