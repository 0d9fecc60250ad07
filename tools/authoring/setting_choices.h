#pragma once
// What the authoring window's lists offer for each stored setting: a label per code make can
// write, and "other (N)" for a stored code that none of them is (a program made elsewhere may
// carry a z-order of 7), so that the code is shown and written back as it was.
#include <cstdint>
#include <string>
#include <vector>

namespace vistello::tools {

enum class FormSetting : uint8_t { zOrder, startPosition, captionMode, autoComment, linkTiming };

struct SettingChoice {
    std::string label;  // UTF-8
    int32_t stored;
};

// The list for a setting whose stored code is current: the offered codes, then "other (N)"
// when current is none of them.
std::vector<SettingChoice> choicesFor(FormSetting setting, int32_t current);
// The position of current in that list.
size_t choiceIndex(const std::vector<SettingChoice>& choices, int32_t current);
std::string otherLabel(int32_t stored);

}  // namespace vistello::tools
