#include "firmware/firmware_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PathCase {
    const char* path;
    bool firmware;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << '"' << c.path << '"';
}

class FirmwarePath : public testing::TestWithParam<PathCase> {};

TEST_P(FirmwarePath, IsDecidedByTheFileNamesExtension) {
    EXPECT_EQ(firmware::IsFirmwareFilePath(GetParam().path), GetParam().firmware);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FirmwarePath,
    testing::Values(PathCase{"C:\\fw\\main.fdl", true},
                    // Windows file names do not care about case.
                    PathCase{"C:\\fw\\MAIN.FDL", true}, PathCase{"C:\\fw\\Main.Fdl", true},
                    PathCase{"main.fdl", true}, PathCase{"C:/fw/main.fdl", true},
                    PathCase{"\\\\server\\share\\cpm.fdl", true}, PathCase{".fdl", true},
                    // A folder with the extension does not make a firmware file.
                    PathCase{"C:\\old.fdl\\notes.txt", false}, PathCase{"C:/old.fdl/notes", false},
                    PathCase{"C:\\old.fdl\\", false}, PathCase{"C:\\fw\\main.fdl.bak", false},
                    PathCase{"C:\\fw\\main.fdlx", false}, PathCase{"C:\\fw\\main.fd", false},
                    PathCase{"C:\\fw\\mainfdl", false}, PathCase{"C:\\fw\\main_fdl", false},
                    PathCase{"fdl", false}, PathCase{"", false}));

struct FolderCase {
    const char* filePath;
    const char* folder;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
    *os << '"' << c.filePath << '"';
}

class InitialFolder : public testing::TestWithParam<FolderCase> {};

TEST_P(InitialFolder, IsThePathBeforeTheLastBackslash) {
    EXPECT_EQ(firmware::InitialFolderOf(GetParam().filePath), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Paths, InitialFolder,
                         testing::Values(FolderCase{"C:\\fw\\cpm\\main.fdl", "C:\\fw\\cpm"},
                                         FolderCase{"C:\\main.fdl", "C:"},
                                         FolderCase{"main.fdl", ""}, FolderCase{"", ""},
                                         FolderCase{"\\\\server\\share\\cpm.fdl",
                                                    "\\\\server\\share"},
                                         FolderCase{"C:\\fw\\", "C:\\fw"}));

} // namespace
