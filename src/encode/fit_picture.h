#pragma once
// The authoring tool's one call for big and turned photographs: the picture is decoded as the
// program would show it, turned upright, scaled down into a box and written as our baseline
// JPEG. The caller reads the orientation (readExifOrientation) and decides what to store.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "encode/bgr_image.h"
#include "encode/orientation_transform.h"
#include "encode/quantization_tables.h"

namespace vistello {

// The screen box: a picture of at most 1600 x 900 opens with its frame and caption inside a
// 1920 x 1080 screen above the taskbar, with room to move it.
inline constexpr PictureSize screenFitBox{1600, 900};

struct FitRequest {
    PictureSize box{0, 0};                  // {0, 0}: no box, the picture keeps its size
    int32_t quality = defaultJpegQuality;   // 1 ... 100
    int32_t orientation = int32_t(Orientation::upright);  // the Exif value to apply, 1 ... 8
};

// What a request does to a picture of a given size. Needs only the size: the tool can tell
// before decoding whether a picture would be left as it is.
struct FitPlan {
    PictureSize stored;   // the picture as decoded
    PictureSize upright;  // after the orientation
    PictureSize output;   // after the box
    Orientation orientation = Orientation::upright;
    [[nodiscard]] bool turns() const { return orientation != Orientation::upright; }
    [[nodiscard]] bool scales() const { return !(output == upright); }
    // False: the picture is already upright and inside the box; keep its bytes as they are.
    [[nodiscard]] bool changesPicture() const { return turns() || scales(); }
};

// Empty when the request can be carried out, else what is wrong with it.
[[nodiscard]] std::string checkFitRequest(const FitRequest& request);

// The plan for a valid request and a picture of positive size.
[[nodiscard]] FitPlan planFit(PictureSize stored, const FitRequest& request);

// The pixels of the plan: turned upright, then scaled down (for a turning orientation the
// scaling is done first, at the stored orientation, on the fewer pixels; the result is the same
// picture). Returns the source's pixels copied when the plan changes nothing.
[[nodiscard]] BgrImage applyFitPlan(const BgrView& source, const FitPlan& plan);

enum class FitOutcome : int32_t {
    encoded,    // jpeg holds the new picture
    unchanged,  // upright and inside the box: nothing was encoded, keep the original bytes
    failed,     // problem says why
};

struct FitResult {
    FitOutcome outcome = FitOutcome::failed;
    FitPlan plan;                 // valid once the picture was decoded
    std::vector<uint8_t> jpeg;
    std::string problem;
    // False when our JPEG decoder stopped before the end of the stream: what it had not
    // written is black in the program and so in the new picture too.
    bool decodedWhole = false;
};

// Decodes JPEG or BMP bytes with our own decoders (true colour, as on a display that is not 8
// bits deep), applies the plan and encodes the result. Never throws: running out of memory is
// a failure with a problem text.
[[nodiscard]] FitResult fitPicture(std::span<const uint8_t> picture, const FitRequest& request);

}  // namespace vistello
