#pragma once
// The rules Windows applies to a file name, checked on the stored code page 932 bytes one
// character at a time, so that the trail byte 5C of a character such as 表 or ソ is never taken
// for a backslash.
#include <string>
#include <string_view>

namespace vistello::tools {

// Empty when name (one file name, no folders) is one Windows can create; otherwise the rule it
// breaks, as the end of a sentence that starts with the name ("ends with a dot or a space").
std::string windowsNameProblem(std::string_view cp932);

// The name as Windows compares names, which ignores letter case (also of the full-width Latin,
// Greek and Cyrillic letters and the Roman numerals that code page 932 holds in both cases).
std::string windowsComparisonKey(std::string_view cp932);

}  // namespace vistello::tools
