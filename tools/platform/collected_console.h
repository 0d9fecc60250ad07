#pragma once
// A console that keeps what it is given: for running a command whose report is shown some other
// way (a message box, a window's status line) and for tests.
#include <string>

#include "platform/console.h"

namespace vistello::tools {

class CollectedConsole final : public Console {
public:
    void out(std::string_view utf8) override { out_ += utf8; }
    void err(std::string_view utf8) override { err_ += utf8; }
    const std::string& outText() const { return out_; }
    const std::string& errText() const { return err_; }

private:
    std::string out_;
    std::string err_;
};

}  // namespace vistello::tools
