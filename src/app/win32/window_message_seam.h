#pragma once
// The Windows side of the message seam: the application's message box with OK, and the main
// window's caption.
#include "common/message_seam.h"

namespace vistello {

class WindowMessageSeam final : public MessageSeam {
public:
    void showMessage(const std::string& text) override;
    void setMainWindowTitle(const std::string& text) override;
};

}  // namespace vistello
