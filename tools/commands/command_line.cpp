#include "commands/command_line.h"

namespace vistello::tools {
namespace {

const OptionRule* findOption(std::span<const OptionRule> options, std::string_view name) {
    for (const auto& option : options) {
        if (option.name == name || (!option.shortName.empty() && option.shortName == name)) return &option;
    }
    return nullptr;
}

bool looksLikeOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

}  // namespace

const std::string* ParsedArguments::value(std::string_view name) const {
    const auto found = options_.find(std::string(name));
    return found == options_.end() || found->second.empty() ? nullptr : &found->second.back();
}

const std::vector<std::string>& ParsedArguments::values(std::string_view name) const {
    static const std::vector<std::string> none;
    const auto found = options_.find(std::string(name));
    return found == options_.end() ? none : found->second;
}

bool parseArguments(std::span<const std::string> arguments, std::span<const OptionRule> options, ParsedArguments& parsed,
                    std::string& problem) {
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !looksLikeOption(argument)) {
            parsed.positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            continue;
        }
        const size_t equals = argument.rfind("--", 0) == 0 ? argument.find('=') : std::string::npos;
        const std::string name = argument.substr(0, equals);
        const OptionRule* option = findOption(options, name);
        if (!option) {
            problem = "unknown option '" + name + "'";
            return false;
        }
        const std::string canonical(option->name);
        if (option->kind == OptionKind::flag) {
            if (equals != std::string::npos) {
                problem = canonical + " takes no value";
                return false;
            }
            parsed.add(canonical, {});
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            problem = canonical + " needs a value";
            return false;
        }
        if (option->kind == OptionKind::value && parsed.has(canonical)) {
            problem = canonical + " is given twice ('" + *parsed.value(canonical) + "' and '" + value + "')";
            return false;
        }
        parsed.add(canonical, std::move(value));
    }
    return true;
}

bool chooseCode(std::string_view option, const std::string& word, std::span<const CodeName> table, int32_t& stored,
                std::string& problem) {
    if (const CodeName* entry = codeNamed(table, word)) {
        stored = entry->stored;
        return true;
    }
    std::string words;
    for (size_t i = 0; i < table.size(); ++i) {
        words += (i == 0 ? "" : i + 1 == table.size() ? " or " : ", ") + std::string(table[i].word);
    }
    problem = std::string(option) + ": unknown value '" + word + "' (" + words + ")";
    return false;
}

}  // namespace vistello::tools
