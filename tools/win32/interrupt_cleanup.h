#pragma once
// What an interrupted run leaves behind on Windows: nothing. Every temporary file and every
// folder the run made is tracked here while it exists; Ctrl+C, Ctrl+Break, closing the console
// window, logging off or shutting down remove them (newest first) and end the tool with the
// status Ctrl+C gives (STATUS_CONTROL_C_EXIT), as the user asked.
//
// The console's handler runs on a thread of its own. It takes the same lock as the tool's own
// steps that change what exists (making a file and tracking it, each write, closing it), so it
// never sees one half-way, and it keeps the lock until the process has ended.
#include <windows.h>

#include <string>

namespace vistello::tools::win32 {

void installInterruptCleanup();

enum class TrackedKind : bool { file, folder };

// Tracks path (an extended path); open is the file's handle while the tool writes it, which the
// handler closes before it removes the file. Returns the token for the calls below.
[[nodiscard]] int track(const std::wstring& path, TrackedKind kind, HANDLE open = nullptr);
// The tracked file's handle is about to be closed by the tool.
void forgetHandle(int token);
// Stops tracking (the entry was renamed into place, kept, or removed by the run itself).
void untrack(int token);

// Holds back the handler while it lives.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

}  // namespace vistello::tools::win32
