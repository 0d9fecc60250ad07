#pragma once
// The numbers a picture package stores for its settings, each named once. Package fields keep
// the stored int32 as read, because a number no name below covers must keep the behaviour the
// program gives it (a z-order of 7 acts as normal, a start position of 0 as centre); code
// compares the stored number with these names instead of with bare literals.
//
// The name tables are the words the authoring tool takes on its command line and shows in its
// reports, shared by every place that turns a setting into text or back.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vistello {

enum class ZOrderMode : int32_t { normal = 1, alwaysOnTop = 2, alwaysAtBottom = 3 };
enum class StartPosition : int32_t { topLeft = 1, topRight = 2, centre = 3, bottomLeft = 4, bottomRight = 5 };
// Any other stored timing opens the link never.
enum class LinkTiming : int32_t { atStart = 1, whenClosed = 2 };

// Auto-exit seconds: a number above 0 counts down and then ends the program, any other never.
inline constexpr int32_t autoExitOff = 0;
constexpr bool countsDown(int32_t autoExitSeconds) { return autoExitSeconds > 0; }

// Caption mode: a negative number removes the title bar, 0 or more keeps it.
inline constexpr int32_t captionModeTitleBar = 0;
inline constexpr int32_t captionModeNoTitleBar = -1;
// Auto-comment flag: exactly 1 opens the comment dialog by itself.
inline constexpr int32_t autoCommentOn = 1;
inline constexpr int32_t autoCommentOff = 0;

constexpr int32_t storedCode(ZOrderMode mode) { return static_cast<int32_t>(mode); }
constexpr int32_t storedCode(StartPosition position) { return static_cast<int32_t>(position); }
constexpr int32_t storedCode(LinkTiming timing) { return static_cast<int32_t>(timing); }

// What the program makes of a stored number (a number outside the enum acts as the default).
constexpr ZOrderMode zOrderModeOf(int32_t stored) {
    return stored == 2 ? ZOrderMode::alwaysOnTop : stored == 3 ? ZOrderMode::alwaysAtBottom : ZOrderMode::normal;
}
constexpr StartPosition startPositionOf(int32_t stored) {
    return stored >= 1 && stored <= 5 ? static_cast<StartPosition>(stored) : StartPosition::centre;
}
constexpr std::optional<LinkTiming> linkTimingOf(int32_t stored) {
    if (stored == 1) return LinkTiming::atStart;
    if (stored == 2) return LinkTiming::whenClosed;
    return std::nullopt;
}
constexpr bool hasTitleBar(int32_t captionMode) { return captionMode >= 0; }

// One word for a stored number, and what it means in a sentence.
struct CodeName {
    std::string_view word;
    int32_t stored;
    std::string_view meaning;
};

inline constexpr CodeName zOrderNames[] = {
    {"normal", storedCode(ZOrderMode::normal), "normal"},
    {"top", storedCode(ZOrderMode::alwaysOnTop), "always on top"},
    {"bottom", storedCode(ZOrderMode::alwaysAtBottom), "always at the bottom"},
};
// "center" is accepted as a spelling of "centre" on the command line; the first word for a
// number is the one shown.
inline constexpr CodeName startPositionNames[] = {
    {"top-left", storedCode(StartPosition::topLeft), "top-left"},
    {"top-right", storedCode(StartPosition::topRight), "top-right"},
    {"centre", storedCode(StartPosition::centre), "centre"},
    {"center", storedCode(StartPosition::centre), "centre"},
    {"bottom-left", storedCode(StartPosition::bottomLeft), "bottom-left"},
    {"bottom-right", storedCode(StartPosition::bottomRight), "bottom-right"},
};
inline constexpr CodeName linkTimingNames[] = {
    {"start", storedCode(LinkTiming::atStart), "when the window is up"},
    {"close", storedCode(LinkTiming::whenClosed), "when the window closes"},
};

// The entry a word names, or none.
constexpr const CodeName* codeNamed(std::span<const CodeName> table, std::string_view word) {
    for (const auto& entry : table) {
        if (entry.word == word) return &entry;
    }
    return nullptr;
}
// The first entry for a stored number, or none for a number the table does not name.
constexpr const CodeName* codeFor(std::span<const CodeName> table, int32_t stored) {
    for (const auto& entry : table) {
        if (entry.stored == stored) return &entry;
    }
    return nullptr;
}

}  // namespace vistello
