#pragma once
// The about dialog (template 100): the program's name and version.
#include <windows.h>

#include "framework/dialog.h"
#include "resources/resource.h"

namespace vistello {

class AboutDialog : public CDialog {
public:
    AboutDialog() : CDialog(IDD_ABOUT) {}

protected:
    BOOL OnInitDialog() override;
};

}  // namespace vistello
