#include "app/settings_path.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* program;
    const char* settings;
};

TEST(SettingsPathForProgram, DerivesFromTheProgramPath) {
    const PathCase cases[] = {
        {"c:\\tools\\prog.exe", "c:\\tools\\prog.ini"},
        {"C:\\TOOLS\\PROG.EXE", "c:\\tools\\prog.ini"},
        {"C:\\Tools\\TavroDownload.exe", "c:\\tools\\tavrodownload.ini"},
        // The last '.' of the whole path counts, even inside a folder name.
        {"C:\\v2.2\\TavroDownload", "c:\\v2.ini"},
        {"C:\\a.b\\prog.x.exe", "c:\\a.b\\prog.x.ini"},
        {"C:\\tools\\prog", "c:\\tools\\prog.ini"},
        {"prog", "prog.ini"},
        {"", ".ini"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(app::SettingsPathForProgram(c.program), c.settings) << c.program;
    }
}

TEST(FirmwarePathFromCommandLine, TakesThePathWithoutQuotesAndTrailingBlanks) {
    const PathCase cases[] = {
        {"", ""},
        {"   ", ""},
        {"C:\\fw\\main.fdl", "C:\\fw\\main.fdl"},
        {"C:\\fw\\main.fdl   ", "C:\\fw\\main.fdl"},
        {"\"C:\\my fw\\main.fdl\"", "C:\\my fw\\main.fdl"},
        {"\"C:\\my fw\\main.fdl\"  ", "C:\\my fw\\main.fdl"},
        {"\"C:\\my fw\\main.fdl ", "C:\\my fw\\main.fdl"},
        {"C:\\my fw\\main.fdl", "C:\\my fw\\main.fdl"},
        {"\"\"", ""},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(app::FirmwarePathFromCommandLine(c.program), c.settings) << c.program;
    }
}

} // namespace
