#pragma once
// The authoring window's folders under the temporary folder: one per Try (the picture program
// alone in it, as in a receiver's download folder) and one for the picture and files of an
// opened program. Each is named after the tool's process, so a folder whose tool has ended is
// known for left over: a file that was still in use when the tool tried to remove it (a
// wallpaper set during a trial) goes at the tool's next start.
#include <string>

namespace vistello::tools::win32 {

// A new empty folder (UTF-8 path), or empty when none could be made.
std::string makeWorkFolder(const char* purpose);
// Removes the folder and everything in it that can be removed; false when something stayed.
bool removeWorkFolder(const std::string& folder);
// Removes the work folders of tools that no longer run.
void removeLeftOverWorkFolders();

}  // namespace vistello::tools::win32
