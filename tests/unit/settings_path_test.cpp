#include "settings/settings_path.h"

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
        {"C:\\Tools\\TavroDownload.com", "c:\\tools\\tavrodownload.ini"}, // the console twin
        // The last '.' of the whole path counts, even inside a folder name.
        {"C:\\v2.2\\TavroDownload", "c:\\v2.ini"},
        {"C:\\a.b\\prog.x.exe", "c:\\a.b\\prog.x.ini"},
        {"C:\\tools\\prog", "c:\\tools\\prog.ini"},
        {"prog", "prog.ini"},
        {"", ".ini"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(settings::SettingsPathForProgram(c.program), c.settings) << c.program;
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
        EXPECT_EQ(settings::FirmwarePathFromCommandLine(c.program), c.settings) << c.program;
    }
}

TEST(FirmwarePathFromCommandLine, OddCommandLines) {
    struct Case {
        std::string commandLine;
        std::string path;
    };
    const std::string longPath = "C:\\" + std::string(9987, 'c') + "\\main.fdl";
    const Case cases[] = {
        // Two files dropped on the program: the first one.
        {"\"C:\\a b\\one.fdl\" \"C:\\two.fdl\"", "C:\\a b\\one.fdl"},
        {"\t \"C:\\a b\\one.fdl\"\t", "C:\\a b\\one.fdl"},
        {"C:\\fw\\a\"b.fdl", "C:\\fw\\a\"b.fdl"},
        {longPath, longPath},
        {"\"" + longPath + "\"", longPath},
        {std::string(10000, ' '), ""},
        {std::string(10000, '"'), ""},
        {"\"\" C:\\fw\\main.fdl", ""},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(settings::FirmwarePathFromCommandLine(c.commandLine) == c.path)
            << c.commandLine.substr(0, 40);
    }
}

} // namespace
