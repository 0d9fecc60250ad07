#pragma once
#include "framework/win_app.h"

namespace vistello {

// The application: makes sure only one process shows a given program file, and runs the
// picture window as a modal dialog. Returning FALSE from InitInstance ends the program.
class VistelloApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

}  // namespace vistello
