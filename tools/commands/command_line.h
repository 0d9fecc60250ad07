#pragma once
// The command-line conventions every command shares: "--option value" and "--option=value",
// "-o value" for the few short names, "--" ends the options, "-h"/"--help" asks for help, an
// option that takes one value may be given once, and an unknown value lists the known ones.
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/package_codes.h"

namespace vistello::tools {

enum class OptionKind : uint8_t {
    flag,      // no value
    value,     // one value, given at most once
    repeated,  // one value each time, any number of times
};

struct OptionRule {
    std::string_view name;       // "--title"
    OptionKind kind;
    std::string_view shortName;  // "-o", or empty
};

class ParsedArguments {
public:
    bool help = false;
    std::vector<std::string> positional;

    bool has(std::string_view name) const { return options_.count(std::string(name)) != 0; }
    // The value of a value option, or null when it was not given.
    const std::string* value(std::string_view name) const;
    const std::vector<std::string>& values(std::string_view name) const;
    void add(std::string_view name, std::string value) { options_[std::string(name)].push_back(std::move(value)); }

private:
    std::map<std::string, std::vector<std::string>> options_;
};

// False with a usage problem.
[[nodiscard]] bool parseArguments(std::span<const std::string> arguments, std::span<const OptionRule> options,
                                  ParsedArguments& parsed, std::string& problem);

// The stored number a word names in table; false with a problem that lists the words.
[[nodiscard]] bool chooseCode(std::string_view option, const std::string& word, std::span<const CodeName> table,
                              int32_t& stored, std::string& problem);

}  // namespace vistello::tools
