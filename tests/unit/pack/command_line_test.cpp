#include "commands/command_line.h"

#include <gtest/gtest.h>

namespace vistello::tools {
namespace {

constexpr OptionRule options[] = {
    {"--output", OptionKind::value, "-o"},
    {"--enclose", OptionKind::repeated, ""},
    {"--force", OptionKind::flag, ""},
};

TEST(CommandLine, TakesValuesEitherWayAndEndsOptionsAtTheDoubleDash) {
    const std::vector<std::string> arguments = {"a.jpg", "--output=o.exe", "--enclose", "-x.txt", "--enclose=b",
                                                "--force", "--", "--force", "-h"};
    ParsedArguments parsed;
    std::string problem;
    ASSERT_TRUE(parseArguments(arguments, options, parsed, problem)) << problem;
    EXPECT_EQ(*parsed.value("--output"), "o.exe");
    EXPECT_EQ(parsed.values("--enclose"), (std::vector<std::string>{"-x.txt", "b"}));
    EXPECT_TRUE(parsed.has("--force"));
    EXPECT_FALSE(parsed.help);
    EXPECT_EQ(parsed.positional, (std::vector<std::string>{"a.jpg", "--force", "-h"}));
}

TEST(CommandLine, RefusesWhatItCannotTake) {
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        const char* problem;
    } cases[] = {
        {"unknown option", {"--colour", "red"}, "unknown option '--colour'"},
        {"unknown with a value", {"--colour=red"}, "unknown option '--colour'"},
        {"single value twice", {"-o", "a", "--output", "b"}, "--output is given twice ('a' and 'b')"},
        {"missing value", {"-o"}, "--output needs a value"},
        {"value on a flag", {"--force=yes"}, "--force takes no value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParsedArguments parsed;
        std::string problem;
        EXPECT_FALSE(parseArguments(c.arguments, options, parsed, problem));
        EXPECT_EQ(problem, c.problem);
    }
    int32_t code = 0;
    std::string problem;
    EXPECT_FALSE(chooseCode("--z-order", "middle", zOrderNames, code, problem));
    EXPECT_EQ(problem, "--z-order: unknown value 'middle' (normal, top or bottom)");
}

}  // namespace
}  // namespace vistello::tools
