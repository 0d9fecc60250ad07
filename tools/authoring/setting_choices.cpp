#include "authoring/setting_choices.h"

#include "app/package_codes.h"

namespace vistello::tools {
namespace {

std::vector<SettingChoice> offered(FormSetting setting) {
    switch (setting) {
    case FormSetting::zOrder:
        return {{"標準", storedCode(ZOrderMode::normal)},
                {"常に手前", storedCode(ZOrderMode::alwaysOnTop)},
                {"常に最背面", storedCode(ZOrderMode::alwaysAtBottom)}};
    case FormSetting::startPosition:
        return {{"左上", storedCode(StartPosition::topLeft)},
                {"右上", storedCode(StartPosition::topRight)},
                {"中央", storedCode(StartPosition::centre)},
                {"左下", storedCode(StartPosition::bottomLeft)},
                {"右下", storedCode(StartPosition::bottomRight)}};
    case FormSetting::captionMode:
        return {{"あり", captionModeTitleBar}, {"なし", captionModeNoTitleBar}};
    case FormSetting::autoComment:
        return {{"表示しない", autoCommentOff}, {"表示する", autoCommentOn}};
    case FormSetting::linkTiming:
        return {{"起動時", storedCode(LinkTiming::atStart)}, {"終了時", storedCode(LinkTiming::whenClosed)}};
    }
    return {};
}

}  // namespace

std::string otherLabel(int32_t stored) { return "other (" + std::to_string(stored) + ")"; }

std::vector<SettingChoice> choicesFor(FormSetting setting, int32_t current) {
    std::vector<SettingChoice> choices = offered(setting);
    bool found = false;
    for (const auto& choice : choices) found = found || choice.stored == current;
    if (!found) choices.push_back({otherLabel(current), current});
    return choices;
}

size_t choiceIndex(const std::vector<SettingChoice>& choices, int32_t current) {
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].stored == current) return i;
    return 0;
}

}  // namespace vistello::tools
