#pragma once
// Where the tool's reports go: standard output for results, standard error for problems,
// warnings and notes. Texts are UTF-8; the Windows tool shows them on its console as Unicode.
#include <string_view>

namespace vistello::tools {

class Console {
public:
    virtual ~Console() = default;
    virtual void out(std::string_view utf8) = 0;
    virtual void err(std::string_view utf8) = 0;
};

}  // namespace vistello::tools
