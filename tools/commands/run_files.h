#pragma once
// The files of one run: its inputs, opened once and known by their role, and the checks every
// output passes before anything is written (it is none of the inputs, not read-only, and with
// --no-clobber not there at all).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/files.h"

namespace vistello::tools {

// The longest item the package format holds: lengths are signed 32-bit numbers.
inline constexpr uint64_t maxItemBytes = 0x7FFFFFFF;

struct RunInput {
    std::string role;  // "the picture", "the stub", ...
    std::string path;
    std::unique_ptr<InputFile> file;
};

// Opens path and refuses a file longer than limit (limitText says what the limit is) before
// reading it. False with the reason in problem.
[[nodiscard]] bool openRunInput(FileSystem& files, std::string role, const std::string& path, uint64_t limit,
                                const std::string& limitText, RunInput& input, std::string& problem);

// The whole file in memory, allocated without throwing.
[[nodiscard]] bool readWholeInput(InputFile& file, std::vector<uint8_t>& bytes, const std::string& path,
                                  std::string& problem);

// False with the reason when the target state (of the path shown as shownPath) may not be
// written: one of inputs, a read-only file, something that is not a file, or any existing file
// when noClobber is set. An input that is no file of its own (the stub built into the tool)
// is no file an output could be.
[[nodiscard]] bool targetAllowed(const TargetState& state, const std::string& shownPath,
                                 std::span<const RunInput* const> inputs, bool noClobber, std::string& problem);

// Puts a finished output in its target's place; with noClobber only while nothing has the
// target's name, so a file that appeared there during the run is not replaced either.
[[nodiscard]] bool commitOutput(OutputFile& output, bool noClobber, std::string& problem);

}  // namespace vistello::tools
