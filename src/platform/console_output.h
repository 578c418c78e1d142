#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Where a scripted start writes its lines: the standard output it was handed
// (its console, or a file or pipe of the script that started it). There is
// none when it was started without one (from Explorer, a scheduler, or the
// windowed exe from a prompt): then the lines go nowhere.
//
// Nobody who writes a line waits for it: the lines go out on a thread of
// their own, since a console holds every write for as long as someone has
// text selected in it (QuickEdit), and a run must be polled and cancellable
// meanwhile. A line is never dropped; a progress line is when a newer one
// or a line took its place before it went out. Lines may come from any thread.
class ConsoleOutput {
public:
    enum class Stream { Output, Error };
    explicit ConsoleOutput(Stream stream = Stream::Output); // a standard handle
    // A file or pipe written as the standard output would be, for a process
    // whose console has that output code page (0: no console).
    ConsoleOutput(HANDLE handle, UINT consoleCodePage);
    // Waits for the lines still to go out, kFinalWait at most: a console
    // that a selection holds up longer does not keep a script waiting.
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    static constexpr std::chrono::milliseconds kFinalWait{10000};

    bool Available() const;
    // A line; it takes the place of the progress line, if one is shown.
    void WriteLine(const std::string& utf8) const;
    // The one line kept up to date in place while a run goes on, cut to the
    // console's width so that it never wraps. Only on a console a person
    // reads: output redirected to a file or a pipe gets none.
    void ShowProgress(const std::string& utf8) const;
    // Waits until every line given so far has gone out; false when the time
    // was up first.
    bool Flush(std::chrono::milliseconds wait) const;

    struct Writer; // the thread and what it shares with the writers

private:
    static DWORD WINAPI Serve(void* kept);

    std::shared_ptr<Writer> m_writer;
};

// Tests play the console with this: called on the writing thread with each
// piece of text (UTF-8) in place of the write, for every ConsoleOutput made
// while it is set. An empty hook ends this.
using ConsoleWriteHook = std::function<void(const std::string& utf8)>;
void SetConsoleWriteHook(ConsoleWriteHook hook);

} // namespace platform
