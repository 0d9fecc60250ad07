#pragma once
// The message seam for decodes nobody watches: every text the user would be shown is kept, in
// order, and the caption is left alone.
#include <string>
#include <vector>

#include "common/message_seam.h"

namespace vistello {

class CollectedMessages final : public MessageSeam {
public:
    void showMessage(const std::string& text) override { texts.push_back(text); }
    void setMainWindowTitle(const std::string&) override {}
    std::vector<std::string> texts;
};

}  // namespace vistello
