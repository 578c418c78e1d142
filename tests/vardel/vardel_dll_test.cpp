// The built Vardel.dll as the program uses it: loaded by file name, its five
// entry points bound by plain name, driven through its configuration file.
#include "vardel_api/exports.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using vardel_api::DownloadStatus;

const char* const kInit = "0xFD Adr 0x08 0x00 0x01 0xFF LRC";

fs::path ExeFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

fs::path Sample(const char* name) {
    return ExeFolder() / "vardel_samples" / name;
}

template <typename T> T Bind(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class TempFolder {
public:
    TempFolder() {
        // Wine reuses process ids, and a folder may outlive a crashed run.
        const std::string prefix = "vardel_dll_test_" + std::to_string(GetCurrentProcessId()) + "_";
        for (int n = 0;; ++n) {
            m_path = fs::temp_directory_path() / (prefix + std::to_string(n));
            if (fs::create_directory(m_path)) {
                break;
            }
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

struct InitArgs {
    std::string path;
    std::string initText = kInit;
    int32_t port = 1;
    int32_t targetAndAddress = 1;
    int32_t baudRate = 9600;
    uint8_t dataBits = 8;
    uint8_t stopBits = 1;
    uint8_t parity = 1;
    uint8_t retry = 4;
};

class VardelDll : public testing::Test {
protected:
    void SetUp() override {
        m_config = m_dir.Path() / "Vardel.ini";
        SetEnvironmentVariableA("VARDEL_CONFIG", m_config.string().c_str());
        m_module = LoadLibraryA((ExeFolder() / "Vardel.dll").string().c_str());
        ASSERT_NE(m_module, nullptr);
        m_getCOMsStatus = Bind<PFN_GetCOMsStatus>(m_module, "GetCOMsStatus");
        m_initDownload = Bind<PFN_InitDownload>(m_module, "InitDownload");
        m_startDownload = Bind<PFN_StartDownload>(m_module, "StartDownload");
        m_abortDownload = Bind<PFN_AbortDownload>(m_module, "AbortDownload");
        m_getDownloadStatus = Bind<PFN_GetDownloadStatus>(m_module, "GetDownloadStatus");
        ASSERT_TRUE(m_getCOMsStatus && m_initDownload && m_startDownload && m_abortDownload &&
                    m_getDownloadStatus);
    }
    void TearDown() override {
        if (m_module) {
            FreeLibrary(m_module);
        }
        SetEnvironmentVariableA("VARDEL_CONFIG", nullptr);
    }

    void Configure(const std::string& text) { std::ofstream(m_config, std::ios::binary) << text; }

    int32_t Init(const InitArgs& args) {
        // Writable buffers of the sizes the program hands over.
        std::vector<char> path(vardel_api::kPathBufferChars + 1);
        std::vector<char> initText(vardel_api::kInitTextBufferChars + 1);
        args.path.copy(path.data(), path.size() - 1);
        args.initText.copy(initText.data(), initText.size() - 1);
        return m_initDownload(path.data(), initText.data(), args.port, args.targetAndAddress,
                              args.baudRate, args.dataBits, args.stopBits, args.parity, args.retry);
    }

    DownloadStatus Status(int32_t handle) {
        return vardel_api::SplitDownloadStatus(m_getDownloadStatus(handle));
    }

    // Polls like the program, only faster, until the run ends; the statuses
    // seen, each once. Gives up after a minute rather than hang.
    std::vector<DownloadStatus> PollToEnd(int32_t handle) {
        std::vector<DownloadStatus> seen;
        for (int i = 0; i < 12000; ++i) {
            const DownloadStatus s = Status(handle);
            if (seen.empty() || seen.back().status != s.status || seen.back().phase != s.phase) {
                seen.push_back(s);
            }
            if (s.status < 0 || s.status == 500) {
                return seen;
            }
            Sleep(5);
        }
        ADD_FAILURE() << "the download did not end";
        return seen;
    }

    TempFolder m_dir;
    fs::path m_config;
    HMODULE m_module = nullptr;
    PFN_GetCOMsStatus m_getCOMsStatus = nullptr;
    PFN_InitDownload m_initDownload = nullptr;
    PFN_StartDownload m_startDownload = nullptr;
    PFN_AbortDownload m_abortDownload = nullptr;
    PFN_GetDownloadStatus m_getDownloadStatus = nullptr;
};

bool IsInOrder(const std::vector<DownloadStatus>& seen) {
    const std::vector<int32_t> order = {9, 0, 1, 2, 3, 5, 4, 6, 8, 7};
    size_t at = 0;
    for (const DownloadStatus& s : seen) {
        while (at < order.size() && order[at] != s.phase) {
            ++at;
        }
        if (at == order.size()) {
            return false;
        }
    }
    return true;
}

TEST_F(VardelDll, DownloadsASampleFileToTheEnd) {
    Configure("[Vardel]\nSpeedFactor=500\n");
    InitArgs args;
    args.path = Sample("cpm4012_full_3.2.1.fdl").string();
    const int32_t handle = Init(args);
    ASSERT_GE(handle, 0);
    const DownloadStatus before = Status(handle);
    EXPECT_EQ(before.status, 0);
    EXPECT_EQ(before.phase, 9);
    EXPECT_EQ(m_startDownload(handle), 0);
    const std::vector<DownloadStatus> seen = PollToEnd(handle);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().status, 500);
    EXPECT_EQ(seen.back().phase, 7);
    EXPECT_TRUE(IsInOrder(seen));
    EXPECT_GT(seen.size(), 5u); // the run was seen on its way, not only at its end
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
        EXPECT_LE(seen[i].status, seen[i + 1].status);
    }
}

TEST_F(VardelDll, AbortEndsTheRunCancelled) {
    Configure("");
    InitArgs args;
    args.path = Sample("cpm4012_full_3.2.1.fdl").string();
    const int32_t handle = Init(args);
    ASSERT_GE(handle, 0);
    ASSERT_EQ(m_startDownload(handle), 0);
    for (int i = 0; i < 1000 && Status(handle).phase == 9; ++i) {
        Sleep(5);
    }
    EXPECT_EQ(m_abortDownload(handle), 0);
    const DownloadStatus end = PollToEnd(handle).back();
    EXPECT_EQ(end.status, -701);
    EXPECT_EQ(end.phase, 7);
}

TEST_F(VardelDll, SilentCpmTimesOut) {
    Configure("[Vardel]\nSpeedFactor=100\n");
    InitArgs args;
    args.path = Sample("cpm4012_boot_1.0.3.fdl").string();
    args.targetAndAddress = 9;
    const int32_t handle = Init(args);
    ASSERT_GE(handle, 0);
    m_startDownload(handle);
    const DownloadStatus end = PollToEnd(handle).back();
    EXPECT_EQ(end.status, -105);
    EXPECT_EQ(end.phase, 1);
}

struct InitErrorCase {
    const char* name;
    const char* config;
    const char* sample;
    std::function<void(InitArgs&)> change;
    int32_t expected;
};

void PrintTo(const InitErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class InitError : public VardelDll, public testing::WithParamInterface<InitErrorCase> {};

TEST_P(InitError, IsReturnedByInitDownload) {
    const InitErrorCase& c = GetParam();
    Configure(c.config);
    InitArgs args;
    args.path = Sample(c.sample).string();
    c.change(args);
    EXPECT_EQ(Init(args), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, InitError,
    testing::Values(InitErrorCase{"MissingFile", "", "none.fdl", [](InitArgs&) {}, -9},
                    InitErrorCase{"BadChecksum", "", "cpm4012_app_3.2.1_badchecksum.fdl",
                                  [](InitArgs&) {}, -703},
                    InitErrorCase{"OstrelVersion", "[Ostrel]\nVersion=0x0201\n",
                                  "cpm4012_boot_1.0.3.fdl", [](InitArgs&) {}, -702},
                    InitErrorCase{"Scripted", "[Script]\nInitResult=-9\n", "cpm4012_boot_1.0.3.fdl",
                                  [](InitArgs&) {}, -9}),
    [](const testing::TestParamInfo<InitErrorCase>& info) { return std::string(info.param.name); });

TEST_F(VardelDll, ConfigurationIsReadAtEveryCall) {
    Configure("[Vardel]\nPortMask=0x0005\n");
    EXPECT_EQ(m_getCOMsStatus(), 0x0005);
    Configure("[Vardel]\nPortMask=0x8000\n");
    EXPECT_EQ(m_getCOMsStatus(), 0x8000);
    Configure("[Vardel]\nPortMask=0x12340001\n");
    EXPECT_EQ(m_getCOMsStatus(), 0x12340001);
    Configure("");
    EXPECT_EQ(m_getCOMsStatus(), 0x0001);
    InitArgs args;
    args.path = Sample("cpm4012_boot_1.0.3.fdl").string();
    const int32_t handle = Init(args);
    EXPECT_GE(handle, 0);
    Configure("[Line]\nBaudRate=19200\n");
    EXPECT_EQ(Init(args), -3);
    m_abortDownload(handle);
}

TEST_F(VardelDll, ScriptedModeAndCallLog) {
    const fs::path log = m_dir.Path() / "calls.log";
    Configure("[Vardel]\nCallLog=" + log.string() +
              "\n[Script]\nReads=0/9 3/0 250/5 499/6 500/7\nAbortDelayReads=1\n");
    EXPECT_EQ(m_getCOMsStatus(), 1);
    InitArgs args;
    args.path = "C:\\no\\such.fdl";
    args.initText = "p";
    args.targetAndAddress = 0x1FF;
    args.retry = 200;
    const int32_t handle = Init(args);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(m_startDownload(handle), 0);
    std::vector<int32_t> reads;
    for (int i = 0; i < 3; ++i) {
        reads.push_back(Status(handle).status);
    }
    EXPECT_EQ(m_abortDownload(handle), 0);
    for (int i = 0; i < 2; ++i) {
        reads.push_back(Status(handle).status);
    }
    EXPECT_EQ(reads, (std::vector<int32_t>{0, 3, 250, 499, -701}));

    const std::string h = std::to_string(handle);
    EXPECT_EQ(ReadText(log),
              "GetCOMsStatus\t=>\t1\r\n"
              "InitDownload\tC:\\no\\such.fdl\tp\t1\t511\t9600\t8\t1\t1\t200\t=>\t" +
                  h + "\r\nStartDownload\t" + h + "\t=>\t0\r\n" + "GetDownloadStatus\t" + h +
                  "\t=>\t0\t9\r\n" + "GetDownloadStatus\t" + h + "\t=>\t3\t0\r\n" +
                  "GetDownloadStatus\t" + h + "\t=>\t250\t5\r\n" + "AbortDownload\t" + h +
                  "\t=>\t0\r\n" + "GetDownloadStatus\t" + h + "\t=>\t499\t6\r\n" +
                  "GetDownloadStatus\t" + h + "\t=>\t-701\t7\r\n");
}

TEST_F(VardelDll, UnknownHandleIsAWrongDownloadId) {
    Configure("");
    EXPECT_EQ(m_startDownload(12345), -700);
    EXPECT_EQ(m_abortDownload(12345), -700);
    EXPECT_EQ(Status(12345).status, -700);
}

std::string VersionString(const fs::path& file, const char* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.string().c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(file.string().c_str(), 0, size, data.data())) {
        return "";
    }
    char* value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) {
        return "";
    }
    return value;
}

TEST(VardelDllFiles, SayTheyAreASimulator) {
    for (const char* dll : {"Vardel.dll", "Ostrel.dll"}) {
        const fs::path path = ExeFolder() / dll;
        EXPECT_NE(VersionString(path, "FileDescription").find("SIMULATOR"), std::string::npos)
            << dll;
        EXPECT_EQ(VersionString(path, "ProductName"), "Tavro Download") << dll;
    }
}

TEST(VardelDllFiles, DoNotLoadWithoutOstrel) {
    if (GetModuleHandleA("Ostrel.dll")) {
        GTEST_SKIP() << "Ostrel.dll is loaded in this process already";
    }
    // Wine keeps a DLL that failed to load open until the process ends, so
    // the folder is only emptied by the next run.
    const fs::path alone = fs::temp_directory_path() / "vardel_dll_test_without_ostrel";
    fs::remove_all(alone);
    fs::create_directory(alone);
    fs::copy_file(ExeFolder() / "Vardel.dll", alone / "Vardel.dll");
    // Ostrel.dll lies in the exe's folder, which the altered search path
    // skips, and maybe in the current directory, which is moved away from it.
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(alone.string().c_str());
    const HMODULE module = LoadLibraryExA((alone / "Vardel.dll").string().c_str(), nullptr,
                                          LOAD_WITH_ALTERED_SEARCH_PATH);
    SetCurrentDirectoryA(current);
    EXPECT_EQ(module, nullptr);
    if (module) {
        FreeLibrary(module);
    }
    std::error_code ignored;
    fs::remove_all(alone, ignored);
}

// What only the 32-bit build (the release, which loads the maker's 32-bit
// DLLs) can show: __stdcall names as the maker exports them, the 64-bit
// status in EDX:EAX, and the exe's own header. A 64-bit build reports these
// as skipped, not passed.
#if defined(_WIN64)
#define SKIP_UNLESS_32_BIT() GTEST_SKIP() << "only a 32-bit build shows this"
#else
#define SKIP_UNLESS_32_BIT() (void)0
#endif

const IMAGE_NT_HEADERS* NtHeaders(const void* image) {
    const auto* base = static_cast<const BYTE*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

std::vector<std::string> ExportNames(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_DATA_DIRECTORY& entry =
        NtHeaders(base)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::vector<std::string> result;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        result.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    }
    return result;
}

TEST_F(VardelDll, ExportsThePlainStdcallNamesOnly) {
    SKIP_UNLESS_32_BIT();
    EXPECT_EQ(NtHeaders(m_module)->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(ExportNames(m_module),
              (std::vector<std::string>{"AbortDownload", "GetCOMsStatus", "GetDownloadStatus",
                                        "InitDownload", "StartDownload"}));
}

TEST_F(VardelDll, ReturnsStatusAndPhaseWhole) {
    SKIP_UNLESS_32_BIT();
    // Each half must arrive: the phase comes back in EDX, the status in EAX.
    Configure("[Script]\nReads=0/9 -105/8 499/11 500/7\n");
    InitArgs args;
    args.path = "C:\\any.fdl";
    const int32_t handle = Init(args);
    ASSERT_GE(handle, 0);
    ASSERT_EQ(m_startDownload(handle), 0);
    std::vector<std::pair<int32_t, int32_t>> reads;
    for (int i = 0; i < 4; ++i) {
        const DownloadStatus s = Status(handle);
        reads.emplace_back(s.status, s.phase);
    }
    EXPECT_EQ(reads,
              (std::vector<std::pair<int32_t, int32_t>>{{0, 9}, {-105, 8}, {499, 11}, {500, 7}}));
}

// "dll function" (the DLL in lower case) for each function that a PE file,
// 32 or 64 bits, imports from the DLLs loaded with the program (the program
// has no delay imports; scripts/check_imports.py checks that every slot is
// filled). Read through the section that holds each address, as the file is
// not loaded.
std::vector<std::string> ImportedFunctions(const std::string& file) {
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(NtHeaders(file.data()));
    const bool pe64 = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const DWORD table =
        (pe64 ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt)->OptionalHeader.DataDirectory
              : nt->OptionalHeader.DataDirectory)[IMAGE_DIRECTORY_ENTRY_IMPORT]
            .VirtualAddress;
    const auto* sections = IMAGE_FIRST_SECTION(nt);
    const auto at = [&](ULONGLONG rva) -> const char* {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (rva != 0 && rva >= section.VirtualAddress &&
                rva < section.VirtualAddress + section.SizeOfRawData) {
                return file.data() + section.PointerToRawData + (rva - section.VirtualAddress);
            }
        }
        return nullptr;
    };
    std::vector<std::string> functions;
    const auto addFunctions = [&](std::string dll, const char* thunk) {
        for (char& c : dll) {
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
        for (ULONGLONG entry = 0;; thunk += pe64 ? 8 : 4) {
            std::memcpy(&entry, thunk, pe64 ? 8 : 4); // the upper half stays 0 in 32 bits
            if (entry == 0) {
                break;
            }
            const bool byOrdinal = (entry >> (pe64 ? 63 : 31)) != 0;
            functions.push_back(dll + (byOrdinal
                                           ? " #" + std::to_string(entry & 0xFFFF)
                                           : " " + std::string(at(entry) + 2))); // past the hint
        }
    };
    for (auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(table));
         import && import->Name != 0; ++import) {
        addFunctions(at(import->Name), at(import->OriginalFirstThunk ? import->OriginalFirstThunk
                                                                     : import->FirstThunk));
    }
    return functions;
}

TEST(ReleaseExe, IsA32BitWindowsProgramNeedingNoMinGwDll) {
    SKIP_UNLESS_32_BIT();
    const std::string file = ReadText(ExeFolder() / "TavroDownload.exe");
    ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER));
    const IMAGE_NT_HEADERS32* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS32*>(NtHeaders(file.data()));
    EXPECT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // The DLLs it needs to start.
    const std::vector<std::string> imports = ImportedFunctions(file);
    for (const std::string& function : imports) {
        const std::string dll = function.substr(0, function.find(' '));
        EXPECT_EQ(dll.find("lib"), std::string::npos) << dll; // libstdc++, libgcc, libwinpthread
        EXPECT_NE(dll, "vardel.dll") << "the library is loaded at run time, never at start";
    }
    EXPECT_FALSE(imports.empty());
}

// The manifest names Windows 7 as the oldest Windows the program runs on; a
// function that an older one lacks would keep the exe from loading at all, so
// a newer function is looked up at run time. Both builds import from the
// list, the program and its console twin alike, which differ only in the
// subsystem that the shells tell apart.
TEST(ReleaseExe, ImportsOnlyListedFunctionsOfWindows7) {
    const std::set<std::string> oldEnough = {"Windows XP or older", "Windows 2000",  "Windows XP",
                                             "Windows XP SP1",      "Windows Vista", "Windows 7",
                                             "system C runtime"};
    std::set<std::string> listed;
#define TAVRO_IMPORT(dll, function, since)                                                         \
    listed.insert(dll " " function);                                                               \
    EXPECT_EQ(oldEnough.count(since), 1u) << function << " since " << since;
#include "exe_imports.inc"
#undef TAVRO_IMPORT
    for (const auto& [name, subsystem] :
         {std::make_pair("TavroDownload.exe", IMAGE_SUBSYSTEM_WINDOWS_GUI),
          std::make_pair("TavroDownload.com", IMAGE_SUBSYSTEM_WINDOWS_CUI)}) {
        const std::string file = ReadText(ExeFolder() / name);
        // Subsystem lies at the same place in the 32- and the 64-bit header.
        EXPECT_EQ(reinterpret_cast<const IMAGE_NT_HEADERS32*>(NtHeaders(file.data()))
                      ->OptionalHeader.Subsystem,
                  subsystem)
            << name;
        const std::vector<std::string> imports = ImportedFunctions(file);
        EXPECT_GT(imports.size(), 100u);
        for (const std::string& function : imports) {
            EXPECT_EQ(listed.count(function), 1u) << function << " is not in exe_imports.inc";
        }
    }
}

// Its own architecture in the identity; DPI per-monitor v2, else system aware.
TEST(ReleaseExe, ManifestNamesItsArchitectureAndDpiAwareness) {
    for (const char* image : {"TavroDownload.exe", "TavroDownload.com"}) {
        const HMODULE module =
            LoadLibraryExW((ExeFolder() / image).wstring().c_str(), nullptr,
                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_TRUE(module && found) << image;
        const std::string manifest(
            static_cast<const char*>(LockResource(LoadResource(module, found))),
            SizeofResource(module, found));
        FreeLibrary(module);
        for (const std::string& entry :
             {std::string("processorArchitecture=\"") + (sizeof(void*) == 8 ? "amd64\"" : "x86\""),
              std::string(">true</dpiAware>"),
              std::string(">PerMonitorV2, System</dpiAwareness>")}) {
            EXPECT_NE(manifest.find(entry), std::string::npos) << image << ": " << entry;
        }
    }
}

} // namespace
