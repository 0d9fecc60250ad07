#include "app/countdown.h"

namespace vistello {

std::string groupedNumber(uint32_t value) {
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string countdownCaption(const std::string& title, int32_t seconds) {
    return title + "  " + groupedNumber(uint32_t(seconds)) + "秒";
}

}  // namespace vistello
