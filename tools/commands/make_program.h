#pragma once
// Making a picture program from a recipe: what make does once its arguments are read, and what
// every other way of making one (dropping a picture on the Windows tool, the authoring window)
// calls, so that they all write the same bytes. Nothing here prints; the caller shows the
// outcome's warnings and notes as it shows things.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/package_writer.h"
#include "check/picture_check.h"
#include "commands/tool.h"
#include "encode/fit_picture.h"

namespace vistello::tools {

// What is done to the picture before it is packed. With a box, a picture larger than the box is
// scaled down into it (never up, keeping its aspect ratio) and packed as our baseline JPEG of
// the given quality; with upright, a JPEG's Exif orientation is applied to its pixels and the
// packed JPEG carries none. A picture inside the box and upright is packed byte for byte as
// it is; the author's file is only ever read.
struct FitChoice {
    PictureSize box{0, 0};   // {0, 0}: the picture keeps its size
    bool upright = false;    // apply the picture's Exif orientation
    int32_t quality = defaultJpegQuality;
};

struct MakeRecipe {
    // The package's settings as stored codes (a code that no option names passes through as
    // it is) and its texts in UTF-8, which makeProgram stores in code page 932. The picture and
    // the enclosed files come from the paths below; content.picture and content.enclosedFiles
    // are not read.
    PackageContent content;
    std::optional<std::string> commentFilePath;  // the comment is read from this UTF-8 file instead
    std::string picturePath;
    std::optional<std::string> stubPath;  // none: the tool's own stub (see stub_choice.h)
    std::string outputPath;
    std::vector<std::string> enclosedPaths;  // each stored under its own name
    bool force = false;           // pack a picture the program would not show whole
    bool noClobber = false;       // refuse to replace an existing output
    FitChoice fit;
};

struct MakeOutcome {
    // The picture check's verdict on the picture that is packed (the re-encoded one when
    // refitted). shownWhole false after a successful make means it was packed under force:
    // refusal and shows say what the program will show.
    PictureReport picture;
    bool refitted = false;    // the packed picture is our re-encoded one
    FitPlan fitPlan;          // valid when refitted
    uint64_t originalPictureBytes = 0;  // the author's picture file, when refitted
    bool checked = false;               // the check ran and the picture is packed
    std::vector<std::string> warnings;  // where the program shows the picture otherwise than a viewer
    std::vector<std::string> notes;     // the characters stored as another code point, by option
    // What was written.
    uint64_t stubBytes = 0;
    uint64_t packageBytes = 0;
    uint64_t pictureBytes = 0;
    size_t enclosedFiles = 0;
    // Why the picture program will not start where it was written (a path the program cannot
    // take), or empty.
    std::string outputPathProblem;
    std::string problem;  // why makeProgram failed
};

// What a refit did, in a few words: "fitted 6000 x 4000 to 1350 x 900", "turned upright (Exif
// orientation 6): 3000 x 4000", or both.
[[nodiscard]] std::string describeFit(const FitPlan& plan);

// Reads the inputs, checks the picture, fits it as the recipe says, and writes the program to the recipe's output (a
// temporary file renamed over it when complete). False, with outcome.problem, when an input
// cannot be read or used, a text or name cannot be stored, the picture is refused, or the
// output may not be written; the output is then as it was. The warnings and notes are filled
// once the picture passed its check, even when the write fails after it.
[[nodiscard]] bool makeProgram(ToolContext& tool, const MakeRecipe& recipe, MakeOutcome& outcome);

}  // namespace vistello::tools
