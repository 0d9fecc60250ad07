#include "framework/win_app.h"

#include <cstdio>

#include "framework/dialog.h"
#include "resources/resource.h"

namespace vistello {
namespace {

CWinApp* theApplication = nullptr;

std::string loadString(HINSTANCE instance, UINT id) {
    char buffer[256] = {};
    const int length = LoadStringA(instance, id, buffer, int(sizeof buffer));
    return std::string(buffer, buffer + (length > 0 ? length : 0));
}

}  // namespace

CWinApp::CWinApp() { theApplication = this; }

CWinApp::~CWinApp() {
    if (theApplication == this) theApplication = nullptr;
}

int CWinApp::Run(HINSTANCE instance, LPSTR commandLine) {
    m_hInstance = instance;
    m_lpCmdLine = commandLine;
    m_title = loadString(instance, IDS_APP_TITLE);
    if (InitInstance()) {
        // A program that keeps running after InitInstance pumps its own messages here.
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return ExitInstance();
}

UINT CWinApp::GetProfileInt(const char* section, const char* key, int defaultValue) const {
    return GetPrivateProfileIntA(section, key, defaultValue, m_profileName.c_str());
}

BOOL CWinApp::WriteProfileString(const char* section, const char* key, const char* value) const {
    return WritePrivateProfileStringA(section, key, value, m_profileName.c_str());
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* key, int value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return WriteProfileString(section, key, text);
}

CWinApp* AfxGetApp() { return theApplication; }

CDialog* AfxGetMainWnd() { return theApplication ? theApplication->m_pMainWnd : nullptr; }

HWND AfxGetMainHwnd() {
    const CDialog* window = AfxGetMainWnd();
    return window ? window->m_hWnd : nullptr;
}

int AfxMessageBox(const std::string& text, UINT type) {
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    const char* caption = theApplication ? theApplication->m_title.c_str() : "";
    return MessageBoxA(AfxGetMainHwnd(), text.c_str(), caption, type);
}

}  // namespace vistello

// The entry point: the one global CWinApp object runs the program.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    vistello::CWinApp* application = vistello::AfxGetApp();
    return application ? application->Run(instance, commandLine) : 1;
}
