#pragma once

namespace platform {

// COM on the program's one thread, begun the first time something needs it
// (the taskbar button's progress, the shell's file dialog) rather than at
// start-up: most starts need neither, and starting COM costs time before the
// first window. true: COM can be used on this thread.
bool UseCom();

// At the end of the program: ends what UseCom began, if it did.
void EndCom();

} // namespace platform
