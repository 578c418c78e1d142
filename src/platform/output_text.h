#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The code page of text written to a file or a pipe: the console's output
// code page when the process has a console, since that is what cmd (`for /f`,
// `type`) and PowerShell (`[Console]::OutputEncoding`) read a program's
// output with; UTF-8 when it has none. consoleCodePage: GetConsoleOutputCP(),
// 0 without a console.
UINT RedirectedCodePage(UINT consoleCodePage);

// UTF-16 text in a code page. A character the code page lacks is written as
// "<U+0142>": never as a lookalike ("l") or a "?" that nobody notices.
std::string EncodeForOutput(const std::wstring& text, UINT codePage);

} // namespace platform
