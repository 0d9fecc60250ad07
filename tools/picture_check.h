#pragma once
// Decides whether vistello-pack make packs a picture: the program shows only pictures it can
// display whole, so a picture it would refuse is refused here already (make --force skips this).
#include <cstdint>
#include <span>
#include <string>

namespace vistello::tools {

// True when the program would display picture; otherwise false with the reason in problem.
[[nodiscard]] bool checkPicture(std::span<const uint8_t> picture, std::string& problem);

}  // namespace vistello::tools
