#include "encode/downscale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "encode_test_support.h"
#include "test_pattern.h"

namespace vistello {
namespace {

// Target i's weight for every source sample.
std::vector<int32_t> denseWeights(const AxisWeights& axis, int32_t target, int32_t sourceLength) {
    std::vector<int32_t> dense(size_t(sourceLength), 0);
    for (int32_t k = 0; k < axis.tapCount; ++k) {
        dense[size_t(axis.first[size_t(target)] + k)] = axis.weights[size_t(target) * size_t(axis.tapCount) + size_t(k)];
    }
    return dense;
}

TEST(LanczosWeights, SumToOneStayInsideTheSourceAndMirrorAboutTheCentre) {
    const struct { int32_t source, target; } cases[] = {
        {6000, 1350}, {4000, 900}, {1001, 333}, {100, 99}, {901, 900}, {5, 3}, {7, 1}, {1, 1}, {2, 1}, {64, 64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.source) + " to " + std::to_string(c.target));
        const AxisWeights axis = lanczosWeights(c.source, c.target);
        ASSERT_EQ(axis.first.size(), size_t(c.target));
        // Three lobes on each side at the target's spacing, plus the partly covered ends.
        EXPECT_LE(axis.tapCount, 6 * c.source / c.target + 2);
        for (int32_t i = 0; i < c.target; ++i) {
            ASSERT_GE(axis.first[size_t(i)], 0);
            ASSERT_LE(axis.first[size_t(i)] + axis.tapCount, c.source);
            const std::vector<int32_t> dense = denseWeights(axis, i, c.source);
            EXPECT_EQ(std::accumulate(dense.begin(), dense.end(), 0), scaleWeightOne) << "target " << i;
            // Target c.target - 1 - i sees the picture mirrored: an off-by-half centre shows here.
            std::vector<int32_t> mirrored = denseWeights(axis, c.target - 1 - i, c.source);
            std::reverse(mirrored.begin(), mirrored.end());
            for (size_t j = 0; j < dense.size(); ++j) ASSERT_NEAR(dense[j], mirrored[j], 1) << "target " << i << " source " << j;
        }
    }
}

TEST(LanczosWeights, EqualLengthsCopyEverySample) {
    const AxisWeights axis = lanczosWeights(37, 37);
    for (int32_t i = 0; i < 37; ++i) {
        const std::vector<int32_t> dense = denseWeights(axis, i, 37);
        EXPECT_EQ(dense[size_t(i)], scaleWeightOne);
    }
}

TEST(ScaleDown, FlatPicturesStayExactlyFlat) {
    const uint8_t colours[][3] = {{0, 0, 0}, {255, 255, 255}, {17, 130, 240}};
    const struct { PictureSize source, target; } sizes[] = {
        {{600, 400}, {135, 90}}, {{97, 13}, {5, 1}}, {{40, 40}, {39, 39}}, {{3, 3}, {1, 1}},
    };
    for (const auto& colour : colours) {
        for (const auto& size : sizes) {
            BgrImage flat(size.source.width, size.source.height);
            for (size_t i = 0; i < flat.pixels.size(); ++i) flat.pixels[i] = colour[i % 3];
            const BgrImage scaled = scaleDown(flat.view(), size.target);
            ASSERT_EQ(scaled.size(), size.target);
            for (size_t i = 0; i < scaled.pixels.size(); ++i) ASSERT_EQ(scaled.pixels[i], colour[i % 3]) << i;
        }
    }
}

TEST(ScaleDown, MatchesImageMagicksLanczosResize) {
    REQUIRE_REFERENCE_PROGRAMS();
    test::ScratchFolder folder;
    const BgrImage forest = test::decodeWithOurs(test::forestJpeg());
    ASSERT_EQ(forest.size(), (PictureSize{1050, 700}));
    const struct { const char* name; BgrImage source; PictureSize target; double minimumPsnr; } cases[] = {
        {"photograph / 4.4", forest, {236, 157}, 60},
        {"photograph / 1.05", forest, {1000, 667}, 60},
        {"pattern, one axis only", test::patternPicture(300, 200), {300, 77}, 60},
        {"pattern / 7", test::patternPicture(700, 490), {100, 70}, 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string geometry = std::to_string(c.target.width) + "x" + std::to_string(c.target.height) + "!";
        const BgrImage reference = test::imageMagick(folder, c.source, "-filter Lanczos -resize " + geometry);
        const BgrImage ours = scaleDown(c.source.view(), c.target);
        const double figure = test::psnr(ours, reference);
        std::printf("  %s: %.2f dB against ImageMagick\n", c.name, figure);
        EXPECT_GE(figure, c.minimumPsnr);
    }
}

// A zone plate: rings whose frequency rises from 0 at the centre to the source's Nyquist
// frequency in the corners. Reduced 4.44 times, every ring beyond the target's Nyquist
// frequency must come out as flat grey; what is left there is aliasing.
TEST(ScaleDown, FineDetailBeyondTheTargetResolutionTurnsGreyNotIntoPatterns) {
    REQUIRE_REFERENCE_PROGRAMS();
    test::ScratchFolder folder;
    const int32_t width = 1200, height = 800;
    BgrImage plate(width, height);
    const double rate = 0.5 / std::hypot(width / 2.0, height / 2.0);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double dx = x + 0.5 - width / 2.0, dy = y + 0.5 - height / 2.0;
            const auto value = uint8_t(std::lround(128 + 127 * std::cos(M_PI * rate * (dx * dx + dy * dy))));
            std::fill_n(plate.row(y) + 3 * x, 3, value);
        }
    }
    const PictureSize target{270, 180};
    const auto aliasing = [&](const BgrImage& picture) {
        // Rings at more than 1.3 times the target's Nyquist frequency: radius 1.3 x 0.1125 / rate
        // source pixels, scaled to the target.
        const double radius = 1.3 * (0.5 * target.width / width) / rate * target.width / width;
        double squared = 0;
        int64_t count = 0;
        for (int32_t y = 0; y < picture.height; ++y) {
            for (int32_t x = 0; x < picture.width; ++x) {
                if (std::hypot(x + 0.5 - picture.width / 2.0, y + 0.5 - picture.height / 2.0) <= radius) continue;
                const double d = picture.view().row(y)[3 * x + 1] - 128.0;
                squared += d * d;
                ++count;
            }
        }
        return std::sqrt(squared / double(count));
    };
    const double ours = aliasing(scaleDown(plate.view(), target));
    const double reference = aliasing(test::imageMagick(folder, plate, "-filter Lanczos -resize 270x180!"));
    std::printf("  aliasing (RMS beyond the target's resolution): ours %.2f, ImageMagick %.2f\n", ours, reference);
    EXPECT_LE(ours, reference + 0.5);
    EXPECT_LT(ours, 4.5);  // an area average (pixels weighed by the area they cover) leaves 12 here
}

}  // namespace
}  // namespace vistello
