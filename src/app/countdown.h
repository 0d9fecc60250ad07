#pragma once
// The caption while the automatic exit counts down, and the grouped number it shows.
#include <cstdint>
#include <string>

namespace vistello {

// The unsigned decimal value with a comma between groups of three digits from the right:
// 4 -> "4", 1234 -> "1,234", 0 -> "0". Negative values are taken as unsigned 32-bit.
std::string groupedNumber(uint32_t value);
// The window title, two spaces, the grouped seconds and "秒".
std::string countdownCaption(const std::string& title, int32_t seconds);

}  // namespace vistello
