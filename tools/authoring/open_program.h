#pragma once
// Open... in the authoring window: an existing picture program's package read back into the
// form, so that an author can change a setting and make the program again. The picture and the
// enclosed files are written out by extract into a folder the caller owns; the form's paths
// point at them there.
#include <string>

#include "authoring/authoring_form.h"
#include "commands/tool.h"

namespace vistello::tools {

// The stored text as the form shows it: decoded from code page 932; a text with bytes the code
// page does not define is shown with make's stand-ins, which the text check then names.
std::string formTextFromStored(const std::string& cp932, bool keepLineBreaks);

// False with the reason when programPath carries no readable package or extract fails;
// scratchFolder is an existing empty folder. notes gets what making the program again would
// not keep as it was: make stores an enclosed file under its own name only (so a stored
// "docs\b.txt" comes back as "b.txt") and a link only with a target.
[[nodiscard]] bool formFromProgram(ToolContext& tool, const std::string& programPath, const std::string& scratchFolder,
                                   AuthoringForm& form, std::vector<std::string>& notes, std::string& problem);

}  // namespace vistello::tools
