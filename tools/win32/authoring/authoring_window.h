#pragma once
// The authoring window: vistello-pack.exe started without arguments. A thin layer over the
// portable authoring form (authoring/): the controls hold the form's fields, each text is
// checked as it is typed with make's message, and Make..., Try and Open... go through
// makeProgram and extract like the command line. Reading and checking a picture and writing a
// program run on worker threads, so the window answers while they work.
#include "commands/tool.h"

namespace vistello::tools::win32 {

int runAuthoringWindow(ToolContext& tool);

}  // namespace vistello::tools::win32
