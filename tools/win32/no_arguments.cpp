#include "win32/no_arguments.h"

#include "win32/authoring/authoring_window.h"

namespace vistello::tools::win32 {

// A double-click opens the authoring window, in which every setting of make is at hand.
int startWithoutArguments(ToolContext& tool) { return runAuthoringWindow(tool); }

}  // namespace vistello::tools::win32
