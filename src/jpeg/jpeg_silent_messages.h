#pragma once
// The message seam of a helper thread's decoder: the scan and MCU loops it runs show no
// messages, and any the helper's work might produce belong to the calling thread's decode.
#include <string>

#include "common/message_seam.h"

namespace vistello {

class SilentMessages final : public MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

}  // namespace vistello
