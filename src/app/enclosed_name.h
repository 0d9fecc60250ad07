#pragma once
// Enclosed files are written under their stored names relative to the program's folder. A name
// comes from whoever made the package, so before anything is written under it, it must stay
// inside that folder: subfolders are fine, a way out is not.
#include <string_view>

namespace vistello {

// False for an empty name, a rooted name ("\\x", "/x"), a name with a drive or stream colon,
// and a name with a component made only of dots and spaces ("..", ". ."), which Windows reads
// as the folder itself or its parent. Works on the stored code page 932 bytes: a trail byte
// equal to a backslash only adds a separator to the check, so it can refuse a harmless name
// but never let a way out through.
[[nodiscard]] bool isSafeEnclosedName(std::string_view name);

}  // namespace vistello
