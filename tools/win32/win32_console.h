#pragma once
// The console seam on Windows. On a console the texts are shown as Unicode (WriteConsoleW),
// whatever the console's code page; redirected to a file or a pipe they are written as UTF-8.
// Started from Explorer the tool lets go of the console window it was given, so what it would
// have printed there is kept for a message box instead.
#include <string>

#include "platform/console.h"

namespace vistello::tools::win32 {

class Win32Console final : public Console {
public:
    void out(std::string_view utf8) override;
    void err(std::string_view utf8) override;
    // What reached neither a console nor a file or pipe.
    const std::string& unshown() const { return unshown_; }

private:
    void write(unsigned long which, std::string_view utf8);
    std::string unshown_;
};

// Started by Explorer (a double-click or a picture dropped on the tool), the tool is the only
// process of a console made for it alone: it frees that console, so no console window shows.
// True when it did. Started from a console, the tool keeps it and its user sees the output.
bool detachFromOwnConsole();

}  // namespace vistello::tools::win32
