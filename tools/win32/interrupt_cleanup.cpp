#include "win32/interrupt_cleanup.h"

#include <vector>

namespace vistello::tools::win32 {
namespace {

struct Entry {
    std::wstring path;
    TrackedKind kind = TrackedKind::file;
    HANDLE open = nullptr;
    bool live = false;
};

// The lock and the entries, changed only under the lock. A critical section may be entered
// again by the thread that holds it, so held steps nest.
struct Tracking {
    CRITICAL_SECTION lock;
    std::vector<Entry> entries;
    Tracking() { InitializeCriticalSection(&lock); }
};

Tracking& tracking() {
    static Tracking state;
    return state;
}

BOOL WINAPI removeTrackedAndEnd(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: break;
    default: return FALSE;
    }
    Tracking& state = tracking();
    EnterCriticalSection(&state.lock);  // kept: the tool's own thread never takes another step
    for (size_t i = state.entries.size(); i-- > 0;) {
        const Entry& entry = state.entries[i];
        if (!entry.live) continue;
        if (entry.open) CloseHandle(entry.open);
        if (entry.kind == TrackedKind::file) DeleteFileW(entry.path.c_str());
        else RemoveDirectoryW(entry.path.c_str());
    }
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace

InterruptsHeld::InterruptsHeld() { EnterCriticalSection(&tracking().lock); }

InterruptsHeld::~InterruptsHeld() { LeaveCriticalSection(&tracking().lock); }

void installInterruptCleanup() {
    (void)tracking();
    SetConsoleCtrlHandler(removeTrackedAndEnd, TRUE);
}

int track(const std::wstring& path, TrackedKind kind, HANDLE open) {
    const InterruptsHeld held;
    auto& entries = tracking().entries;
    entries.push_back({path, kind, open, true});
    return int(entries.size() - 1);
}

void forgetHandle(int token) {
    if (token < 0) return;
    const InterruptsHeld held;
    tracking().entries[size_t(token)].open = nullptr;
}

void untrack(int token) {
    if (token < 0) return;
    const InterruptsHeld held;
    Entry& entry = tracking().entries[size_t(token)];
    entry.live = false;
    entry.open = nullptr;
}

}  // namespace vistello::tools::win32
