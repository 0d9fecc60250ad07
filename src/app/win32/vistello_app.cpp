#include "app/win32/vistello_app.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/win32/picture_window.h"
#include "app/win32/win32_files.h"

namespace vistello {

VistelloApp theApp;

namespace {

// The mutex name is the program's path with forward slashes: a backslash would be taken as a
// kernel namespace separator.
std::string instanceMutexName() {
    std::string name = programPath();
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

}  // namespace

BOOL VistelloApp::InitInstance() {
    // The dialogs use standard and up-down controls with the current visual style.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    (void)InitCommonControlsEx(&controls);  // without it only the up-down control is missing

    PictureWindow window;
    m_pMainWnd = &window;

    // Deliberately never closed: holding the mutex until the process ends is what keeps a
    // second copy of the same program file out; the system releases it at exit.
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, instanceMutexName().c_str());
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another process shows this program file already: end silently.
        m_pMainWnd = nullptr;
    } else {
        (void)window.DoModal();  // everything the program does happens inside
    }
    m_pMainWnd = nullptr;
    return FALSE;
}

}  // namespace vistello
