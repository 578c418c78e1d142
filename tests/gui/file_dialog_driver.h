#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// The common open-file dialog of a thread, or null.
HWND FindFileDialogOfThread(DWORD threadId);
// Presses the main window's "..." button and waits for the file dialog.
HWND OpenFileDialogFrom(HWND mainWindow);
// The firmware header preview of a thread, or null.
HWND FindPreviewOfThread(DWORD threadId);

// The folder the dialog lists.
std::string FolderOf(HWND fileDialog);
// The names its list shows.
std::vector<std::string> ListedNames(HWND fileDialog);
// Selects the listed item with that name as a click would; false when it is
// not listed. Returns after the dialog has handled the selection.
bool SelectListed(HWND fileDialog, const std::string& name);
// Moves the keyboard focus into the dialog's list.
void FocusFileList(HWND fileDialog);
// Types into the file name box.
void SetFileNameBox(HWND fileDialog, const std::string& text);
std::string FileNameBoxText(HWND fileDialog);
// Presses Open or Cancel; the dialog ends (or acts) after this returns.
void PressOpen(HWND fileDialog);
void PressCancel(HWND fileDialog);

} // namespace testsupport
