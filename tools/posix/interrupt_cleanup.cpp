#include "posix/interrupt_cleanup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <vector>

namespace vistello::tools::posix {
namespace {

struct Entry {
    int folder = -1;
    std::string name;
    TrackedKind kind = TrackedKind::file;
    bool live = false;
};

constexpr int cleanedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Changed only while the cleaned signals are blocked, so the handler never sees it half-way.
std::vector<Entry>& entries() {
    static std::vector<Entry> tracked;
    return tracked;
}


// Only async-signal-safe calls: unlinkat, signal, raise.
void removeTrackedAndDie(int signalNumber) {
    auto& tracked = entries();
    for (size_t i = tracked.size(); i-- > 0;) {
        const Entry& entry = tracked[i];
        if (!entry.live) continue;
        (void)unlinkat(entry.folder, entry.name.c_str(), entry.kind == TrackedKind::folder ? AT_REMOVEDIR : 0);
    }
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

}  // namespace

InterruptsHeld::InterruptsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : cleanedSignals) sigaddset(&set, signal);
    sigprocmask(SIG_BLOCK, &set, &previous_);
}

InterruptsHeld::~InterruptsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

void installInterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = removeTrackedAndDie;
    sigemptyset(&action.sa_mask);
    for (const int signal : cleanedSignals) sigaddset(&action.sa_mask, signal);
    for (const int signal : cleanedSignals) sigaction(signal, &action, nullptr);
    ::signal(SIGXFSZ, SIG_IGN);
}

int track(int folderDescriptor, const std::string& name, TrackedKind kind) {
    const int folder = fcntl(folderDescriptor, F_DUPFD_CLOEXEC, 0);
    InterruptsHeld held;
    entries().push_back({folder, name, kind, folder >= 0});
    return int(entries().size() - 1);
}

void untrack(int token) {
    if (token < 0) return;
    InterruptsHeld held;
    Entry& entry = entries()[size_t(token)];
    if (!entry.live) return;
    entry.live = false;
    close(entry.folder);
}

}  // namespace vistello::tools::posix
