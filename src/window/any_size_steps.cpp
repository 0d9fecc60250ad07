#include "window/any_size_steps.h"

namespace vistello {
namespace {

// One step of 20 in the given direction, kept within the range. The value may start outside
// the range (an odd percentage from the settings file), so the step ends at the bound.
bool step(SpinDirection direction, SpinState& state) {
    if (direction == SpinDirection::up) {
        if (state.value >= anySizeMaximum) return false;
        state.value = state.value > anySizeMaximum - anySizeStep ? anySizeMaximum : state.value + anySizeStep;
    } else {
        if (state.value <= anySizeMinimum) return false;
        state.value = state.value < anySizeMinimum + anySizeStep ? anySizeMinimum : state.value - anySizeStep;
    }
    return true;
}

}  // namespace

bool applySpinDelta(int32_t delta, SpinState& state) {
    if (delta == spinDeltaDown || delta == spinDeltaUp) {
        const SpinDirection direction = delta == spinDeltaUp ? SpinDirection::up : SpinDirection::down;
        if (!step(direction, state)) return false;
        state.lastDirection = direction;
        return true;
    }
    // An accelerated step stops at either bound, whichever way it would go.
    if (state.value <= anySizeMinimum || state.value >= anySizeMaximum) return false;
    if (state.lastDirection == SpinDirection::unknown) {
        if (delta == 0) return false;
        state.lastDirection = delta < 0 ? SpinDirection::up : SpinDirection::down;
    }
    return step(state.lastDirection, state);
}

int32_t clampTypedPercent(int32_t typed) {
    if (typed > anySizeMaximum) return anySizeMaximum;
    if (typed < anySizeMinimum) return anySizeMinimum;
    return typed;
}

}  // namespace vistello
