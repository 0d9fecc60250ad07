#pragma once
// The one way the portable core talks to the user. On Windows the program implements it with
// its message boxes and its window caption; natively tests and vistello-pack record or print.
// Texts are the system's own fixed texts, passed as the bytes the build compiled them to
// (code page 932 in the Windows build, UTF-8 natively).
#include <string>

namespace vistello {

class MessageSeam {
public:
    virtual ~MessageSeam() = default;
    // Shows a fixed text in the standard message box with an OK button and waits for it.
    virtual void showMessage(const std::string& text) = 0;
    // Replaces the main window's caption (used while a long decode runs).
    virtual void setMainWindowTitle(const std::string& text) = 0;
};

}  // namespace vistello
