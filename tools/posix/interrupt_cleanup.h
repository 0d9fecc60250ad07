#pragma once
// What an interrupted run leaves behind on POSIX: nothing. Every temporary file and every folder
// the run made is tracked here while it exists; SIGINT, SIGTERM, SIGHUP or SIGPIPE remove them
// (newest first) and then end the tool by the same signal, as the user asked.
#include <signal.h>

#include <string>

namespace vistello::tools::posix {

// Installs the handlers, and ignores SIGXFSZ so that a file-size limit makes a write fail with
// EFBIG, which the tool reports and cleans up after, instead of killing it.
void installInterruptCleanup();

enum class TrackedKind : bool { file, folder };

// Tracks name in the folder open as folderDescriptor (which is duplicated: the caller may close
// its own). Returns the token for untrack.
[[nodiscard]] int track(int folderDescriptor, const std::string& name, TrackedKind kind);
// Holds back the cleaned signals while it lives, so that a file or folder can be made and
// tracked as one step: an interrupt between the two would leave the new file behind.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t previous_;
};

// Stops tracking (the entry was renamed into place, kept, or removed by the run itself).
void untrack(int token);

}  // namespace vistello::tools::posix
