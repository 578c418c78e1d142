// Drives TavroDownload.exe on a virtual display for the run script: starts it,
// answers its message boxes, asks the script for screenshots ("SNAP name",
// answered by a line on stdin) and reports what the program shows.
#include "dialog_driver.h"
#include "program_runner.h"
#include "platform/text.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

using namespace testsupport;

void Snap(const char* name) {
    std::printf("SNAP %s\n", name);
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
}

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring folder = argc > 1 ? argv[1] : BinFolder();
    const std::wstring arguments = argc > 2 ? argv[2] : L"";
    ProgramRun run(folder, arguments);
    if (!run.Started()) {
        std::printf("The program could not be started from %s\n", platform::Narrow(folder).c_str());
        return 1;
    }
    HWND main = nullptr;
    for (const std::string& text : run.AnswerMessagesUntilMainWindow(main)) {
        std::printf("Message box: %s\n", OneLine(text).c_str());
    }
    if (main == nullptr) {
        std::printf("The program ended before its main window showed.\n");
        return 1;
    }
    std::printf("Main window: port %s, CPM address %s, file \"%s\"\n",
                ItemTextOf(main, 1357).c_str(), ItemTextOf(main, 1568).c_str(),
                ItemTextOf(main, 1000).c_str());
    Snap("main-window");
    PostClick(main, 1008);
    if (!run.WaitForExit()) {
        std::printf("The program did not end after Exit.\n");
        return 1;
    }
    std::printf("The program ended after Exit.\n");
    return 0;
}
