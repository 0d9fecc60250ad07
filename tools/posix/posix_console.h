#pragma once
// The console seam on POSIX: standard output and standard error, UTF-8 as given.
#include "platform/console.h"

namespace vistello::tools::posix {

class StandardStreams final : public Console {
public:
    void out(std::string_view utf8) override;
    void err(std::string_view utf8) override;
};

}  // namespace vistello::tools::posix
