#pragma once
// Native message seam for the JPEG tests: records every message and caption it is given.
#include <string>
#include <vector>

#include "common/message_seam.h"

namespace vistello::testing {

class RecordingMessageSeam : public MessageSeam {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void setMainWindowTitle(const std::string& text) override { titles.push_back(text); }
    std::vector<std::string> messages;
    std::vector<std::string> titles;
};

}  // namespace vistello::testing
