#pragma once
// Walking a subcommand's arguments and reporting the two kinds of failure the same way in
// every subcommand.
#include <string>
#include <string_view>

namespace vistello::tools {

class Arguments {
public:
    // argv[0] is the subcommand's name; the walk starts behind it.
    Arguments(int argc, char** argv) : argc_(argc), argv_(argv) {}
    bool done() const { return next_ >= argc_; }
    std::string_view take() { return argv_[next_++]; }
    // The value that follows the option just taken; false when the arguments end first.
    [[nodiscard]] bool takeValue(std::string& value) {
        if (done()) return false;
        value = argv_[next_++];
        return true;
    }

private:
    int argc_;
    char** argv_;
    int next_ = 1;
};

// True when the arguments ask for help ("--help" or "-h" anywhere).
bool wantsHelp(int argc, char** argv);

// Print "vistello-pack <command>: <message>" (and, for usage errors, where to find help) to
// standard error and return the matching exit status.
int usageError(std::string_view command, const std::string& message);
int inputError(std::string_view command, const std::string& message);

}  // namespace vistello::tools
