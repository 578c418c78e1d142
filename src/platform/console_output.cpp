#include "platform/console_output.h"

#include "platform/output_text.h"
#include "platform/text.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace platform {
namespace {

ConsoleWriteHook& Hook() {
    static ConsoleWriteHook hook;
    return hook;
}

bool IsUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

// The console's width in characters; 0 when it cannot be had.
size_t ConsoleWidth(HANDLE console) {
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    return GetConsoleScreenBufferInfo(console, &info) && info.dwSize.X > 0
               ? static_cast<size_t>(info.dwSize.X)
               : 0;
}

// The lines of a message end in CR LF, as in any Windows text.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n' && (out.empty() || out.back() != '\r')) {
            out += '\r';
        }
        out += c;
    }
    return out + "\r\n";
}

} // namespace

struct ConsoleOutput::Writer {
    struct Piece {
        std::string utf8;
        bool progress;
    };

    HANDLE handle = nullptr;
    bool console = false; // a console, not a file or a pipe
    UINT codePage = CP_UTF8;
    ConsoleWriteHook hook;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Piece> pieces;
    bool writing = false; // a piece has been taken and is being written
    bool ending = false;
    // The writing thread's own: the length of the progress line the console shows.
    size_t progressLength = 0;

    void Add(Piece piece) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            // A progress line still waiting is out of date once another
            // piece comes: the console would show it for no time at all.
            while (!pieces.empty() && pieces.back().progress) {
                pieces.pop_back();
            }
            pieces.push_back(std::move(piece));
        }
        changed.notify_all();
    }

    void Serve() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return ending || !pieces.empty(); });
            if (pieces.empty()) {
                return;
            }
            const Piece piece = std::move(pieces.front());
            pieces.pop_front();
            writing = true;
            lock.unlock();
            Write(piece);
            lock.lock();
            writing = false;
            changed.notify_all();
        }
    }

    void Write(const Piece& piece) {
        if (hook) {
            hook(piece.progress ? "\r" + piece.utf8 : WithCrLf(piece.utf8));
        } else if (!console) {
            const std::string bytes = EncodeForOutput(Widen(WithCrLf(piece.utf8)), codePage);
            DWORD written = 0;
            WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        } else if (piece.progress) {
            ShowProgress(Widen(piece.utf8));
        } else {
            // The progress line is blanked and the line written in its place.
            std::wstring text;
            if (progressLength > 0) {
                text = L"\r" + std::wstring(progressLength, L' ') + L"\r";
                progressLength = 0;
            }
            WriteConsoleText(text + Widen(WithCrLf(piece.utf8)));
        }
    }

    void ShowProgress(std::wstring line) {
        // The last column would move the cursor to the next row on some consoles.
        const size_t width = ConsoleWidth(handle);
        if (width > 0 && line.size() >= width) {
            line.resize(width - 1);
        }
        const size_t length = line.size();
        if (length < progressLength) { // what the longer line before showed is blanked
            line.append(progressLength - length, L' ');
        }
        progressLength = length;
        WriteConsoleText(L"\r" + line);
    }

    // A console shows any character this way, whatever its code page.
    void WriteConsoleText(const std::wstring& text) const {
        DWORD written = 0;
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
};

DWORD WINAPI ConsoleOutput::Serve(void* kept) {
    const std::unique_ptr<std::shared_ptr<Writer>> writer(
        static_cast<std::shared_ptr<Writer>*>(kept));
    (*writer)->Serve();
    return 0;
}

ConsoleOutput::ConsoleOutput(Stream stream)
    : ConsoleOutput(GetStdHandle(stream == Stream::Error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE),
                    GetConsoleOutputCP()) {}

ConsoleOutput::ConsoleOutput(HANDLE handle, UINT consoleCodePage) {
    const ConsoleWriteHook& hook = Hook();
    if (!hook && !IsUsable(handle)) {
        return;
    }
    m_writer = std::make_shared<Writer>();
    m_writer->handle = handle;
    m_writer->console = !hook && IsConsole(handle);
    m_writer->codePage = RedirectedCodePage(consoleCodePage);
    m_writer->hook = hook;
    // The thread keeps what it shares: it may still be held up in a write
    // when this object is gone.
    auto* kept = new std::shared_ptr<Writer>(m_writer);
    const HANDLE thread = CreateThread(nullptr, 0, Serve, kept, 0, nullptr);
    if (thread == nullptr) {
        delete kept;
        m_writer.reset();
        return;
    }
    CloseHandle(thread);
}

ConsoleOutput::~ConsoleOutput() {
    if (!m_writer) {
        return;
    }
    Flush(kFinalWait);
    {
        const std::lock_guard<std::mutex> lock(m_writer->mutex);
        m_writer->ending = true;
    }
    m_writer->changed.notify_all();
}

bool ConsoleOutput::Available() const {
    return m_writer != nullptr;
}

void ConsoleOutput::WriteLine(const std::string& utf8) const {
    if (m_writer) {
        m_writer->Add({utf8, false});
    }
}

void ConsoleOutput::ShowProgress(const std::string& utf8) const {
    if (m_writer && (m_writer->console || m_writer->hook)) {
        m_writer->Add({utf8, true});
    }
}

bool ConsoleOutput::Flush(std::chrono::milliseconds wait) const {
    if (!m_writer) {
        return true;
    }
    std::unique_lock<std::mutex> lock(m_writer->mutex);
    return m_writer->changed.wait_for(
        lock, wait, [this] { return m_writer->pieces.empty() && !m_writer->writing; });
}

void SetConsoleWriteHook(ConsoleWriteHook hook) {
    Hook() = std::move(hook);
}

} // namespace platform
