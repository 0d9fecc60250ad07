#pragma once
// The any-size dialog's rules for the percentage: the spin arrows step it by 20 within 40 to
// 400, and the typed number is brought into that range when the dialog is confirmed.
#include <cstdint>

namespace vistello {

inline constexpr int32_t anySizeMinimum = 40;
inline constexpr int32_t anySizeMaximum = 400;
inline constexpr int32_t anySizeStep = 20;

// With the up-down control's default range (100 down to 0) the up arrow reports -1 and the
// down arrow +1; a held arrow accelerates and reports larger deltas.
inline constexpr int32_t spinDeltaUp = -1;
inline constexpr int32_t spinDeltaDown = 1;

enum class SpinDirection : uint8_t { unknown, down, up };

struct SpinState {
    int32_t value = 100;
    SpinDirection lastDirection = SpinDirection::unknown;  // of the last single step
};

// Applies one UDN_DELTAPOS delta to the value. True when the value changed, which the dialog
// then shows and previews; false when the step was refused at a bound (nothing changes).
// An accelerated delta repeats the last single step's direction; before any single step it
// takes the direction from its own sign (negative is up).
[[nodiscard]] bool applySpinDelta(int32_t delta, SpinState& state);

// The typed percentage as OK applies it: above 400 gives 400, below 40 (text that is no
// number reads as 0) gives 40.
[[nodiscard]] int32_t clampTypedPercent(int32_t typed);

}  // namespace vistello
