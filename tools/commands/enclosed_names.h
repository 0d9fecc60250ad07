#pragma once
// The name an enclosed file is stored under: its own file name in code page 932, one Windows
// can create in the program's folder, and different from the other enclosed files' names in
// more than letter case. make and the authoring window check names with this one function.
#include <set>
#include <string>

#include "text/author_text.h"

namespace vistello::tools {

// path is the file as given, base its file name. keys collects the names taken so far (as
// Windows compares them). False with the reason in problem, as make reports it.
[[nodiscard]] bool storeEnclosedName(const std::string& path, const std::string& base, std::set<std::string>& keys,
                                     StoredText& stored, std::string& problem);

}  // namespace vistello::tools
