#include "encode/downscale.h"

#include <algorithm>
#include <cstdlib>

#include "encode/lanczos_table.h"

namespace vistello {
namespace {

// Fractional bits of a kernel position between two table points.
constexpr int32_t positionFractionBits = 8;
constexpr int64_t positionFractionOne = int64_t(1) << positionFractionBits;
// The samples between the two passes, and the rounding of each pass.
constexpr int32_t intermediateFractionBits = 6;
constexpr int32_t weightBits = 14;
static_assert(scaleWeightOne == 1 << weightBits);
constexpr int32_t firstPassShift = weightBits - intermediateFractionBits;
constexpr int32_t secondPassShift = weightBits + intermediateFractionBits;

int64_t floorDivide(int64_t numerator, int64_t denominator) {
    const int64_t quotient = numerator / denominator;
    return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1 : quotient;
}

// numerator / denominator to the nearest integer, halves away from zero; denominator > 0.
int64_t roundDivide(int64_t numerator, int64_t denominator) {
    const int64_t magnitude = (2 * std::llabs(numerator) + denominator) / (2 * denominator);
    return numerator < 0 ? -magnitude : magnitude;
}

// L(x) x 16384 for x = distance / (2 x sourceLength) in kernel units, interpolated between
// the table points.
int32_t kernelAt(int64_t distance, int64_t sourceLength) {
    const int64_t position = std::llabs(distance) * lanczosStepsPerUnit * positionFractionOne / (2 * sourceLength);
    const int64_t index = position >> positionFractionBits;
    if (index >= lanczosTableSize - 1) return 0;
    const int32_t fraction = int32_t(position & (positionFractionOne - 1));
    const int32_t low = lanczosTable[index];
    const int32_t high = lanczosTable[index + 1];
    return low + (((high - low) * fraction + int32_t(positionFractionOne / 2)) >> positionFractionBits);
}

struct TargetTaps {
    int32_t first = 0;
    std::vector<int32_t> weights;  // for first, first + 1, ...
};

TargetTaps tapsFor(int32_t target, int32_t sourceLength, int32_t targetLength) {
    const int64_t source = sourceLength;
    const int64_t length = targetLength;
    // Source pixel j lies at distance (2j + 1) x length - (2 target + 1) x source, in units of
    // 1 / (2 x length) source pixels; the kernel reaches 3 x source / length pixels.
    const int64_t centre = (2 * int64_t(target) + 1) * source;
    const int64_t reach = 2 * lanczosLobes * source;
    const int64_t low = std::max<int64_t>(0, floorDivide(centre - reach - length, 2 * length));
    const int64_t high = std::min<int64_t>(source - 1, floorDivide(centre + reach - length, 2 * length) + 1);
    TargetTaps taps;
    std::vector<int64_t> kernel;
    int64_t sum = 0;
    for (int64_t j = low; j <= high; ++j) {
        const int32_t value = kernelAt((2 * j + 1) * length - centre, source);
        kernel.push_back(value);
        sum += value;
    }
    // Trim the taps that weigh nothing at both ends.
    size_t begin = 0;
    size_t end = kernel.size();
    while (begin < end && kernel[begin] == 0) ++begin;
    while (end > begin && kernel[end - 1] == 0) --end;
    if (sum <= 0 || begin == end) {  // cannot happen for a reduction; the nearest pixel then
        taps.first = int32_t(std::clamp<int64_t>(floorDivide(centre, 2 * length), 0, source - 1));
        taps.weights = {scaleWeightOne};
        return taps;
    }
    taps.first = int32_t(low + int64_t(begin));
    int32_t total = 0;
    size_t largest = 0;
    for (size_t k = begin; k < end; ++k) {
        const int32_t weight = int32_t(roundDivide(kernel[k] * scaleWeightOne, sum));
        taps.weights.push_back(weight);
        total += weight;
        if (weight > taps.weights[largest]) largest = taps.weights.size() - 1;
    }
    taps.weights[largest] += scaleWeightOne - total;  // rounding left over goes to the centre
    return taps;
}

}  // namespace

AxisWeights lanczosWeights(int32_t sourceLength, int32_t targetLength) {
    std::vector<TargetTaps> all;
    all.reserve(size_t(targetLength));
    size_t widest = 1;
    for (int32_t i = 0; i < targetLength; ++i) {
        all.push_back(tapsFor(i, sourceLength, targetLength));
        widest = std::max(widest, all.back().weights.size());
    }
    AxisWeights axis;
    axis.tapCount = int32_t(std::min<size_t>(widest, size_t(sourceLength)));
    axis.first.resize(size_t(targetLength));
    axis.weights.assign(size_t(targetLength) * size_t(axis.tapCount), 0);
    for (int32_t i = 0; i < targetLength; ++i) {
        const TargetTaps& taps = all[size_t(i)];
        // Every window has tapCount taps inside the picture: near the far edge it starts early.
        const int32_t first = std::min(taps.first, sourceLength - axis.tapCount);
        axis.first[size_t(i)] = first;
        int16_t* weights = axis.weights.data() + size_t(i) * size_t(axis.tapCount);
        for (size_t k = 0; k < taps.weights.size(); ++k) {
            weights[size_t(taps.first - first) + k] = int16_t(taps.weights[k]);
        }
    }
    return axis;
}

namespace {

// The vertical pass: one row of the source's width made from the source rows its weights
// name, every byte of the row at once, at scale 64.
void scaleVertically(const BgrView& source, const AxisWeights& rows, int32_t targetRow, std::vector<int32_t>& sums,
                  std::vector<int16_t>& out) {
    const size_t rowBytes = size_t(source.width) * bgrBytesPerPixel;
    std::fill(sums.begin(), sums.end(), 0);
    const int16_t* weights = rows.weights.data() + size_t(targetRow) * size_t(rows.tapCount);
    for (int32_t k = 0; k < rows.tapCount; ++k) {
        const int32_t weight = weights[k];
        if (weight == 0) continue;
        const uint8_t* __restrict in = source.row(rows.first[size_t(targetRow)] + k);
        int32_t* __restrict sum = sums.data();
        for (size_t x = 0; x < rowBytes; ++x) sum[x] += weight * in[x];
    }
    constexpr int32_t rounding = 1 << (firstPassShift - 1);
    for (size_t x = 0; x < rowBytes; ++x) out[x] = int16_t((sums[x] + rounding) >> firstPassShift);
}

uint8_t clampToByte(int32_t value) { return uint8_t(std::clamp(value, 0, 255)); }

// The horizontal pass: that row narrowed to the target width, back to bytes.
void scaleHorizontally(const std::vector<int16_t>& in, const AxisWeights& columns, uint8_t* out, int32_t targetWidth) {
    constexpr int32_t rounding = 1 << (secondPassShift - 1);
    for (int32_t x = 0; x < targetWidth; ++x) {
        const int16_t* weights = columns.weights.data() + size_t(x) * size_t(columns.tapCount);
        const int16_t* pixel = in.data() + size_t(columns.first[size_t(x)]) * bgrBytesPerPixel;
        int32_t blue = rounding, green = rounding, red = rounding;
        for (int32_t k = 0; k < columns.tapCount; ++k, pixel += bgrBytesPerPixel) {
            blue += weights[k] * pixel[0];
            green += weights[k] * pixel[1];
            red += weights[k] * pixel[2];
        }
        out[0] = clampToByte(blue >> secondPassShift);
        out[1] = clampToByte(green >> secondPassShift);
        out[2] = clampToByte(red >> secondPassShift);
        out += bgrBytesPerPixel;
    }
}

}  // namespace

BgrImage scaleDown(const BgrView& source, PictureSize target) {
    BgrImage result(target.width, target.height);
    const AxisWeights rows = lanczosWeights(source.height, target.height);
    const AxisWeights columns = lanczosWeights(source.width, target.width);
    const size_t rowBytes = size_t(source.width) * bgrBytesPerPixel;
    std::vector<int32_t> sums(rowBytes);
    std::vector<int16_t> between(rowBytes);
    for (int32_t y = 0; y < target.height; ++y) {
        scaleVertically(source, rows, y, sums, between);
        scaleHorizontally(between, columns, result.row(y), target.width);
    }
    return result;
}

}  // namespace vistello
