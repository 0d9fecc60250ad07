#pragma once
// Our stand-in for the application object of a dialog-based Windows program: one global
// object derived from CWinApp; WinMain hands it the instance and the command line and calls
// InitInstance. There is no message loop of its own: a program that returns FALSE from
// InitInstance ends there, after its modal dialog has run.
#include <windows.h>

#include <string>

namespace vistello {

class CDialog;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // Runs the application; called by WinMain.
    int Run(HINSTANCE instance, LPSTR commandLine);

    // Private-profile file that GetProfileInt/WriteProfileString work on.
    void SetProfileName(const std::string& path) { m_profileName = path; }
    UINT GetProfileInt(const char* section, const char* key, int defaultValue) const;
    BOOL WriteProfileString(const char* section, const char* key, const char* value) const;
    BOOL WriteProfileInt(const char* section, const char* key, int value) const;

    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;    // the text after the program name, as Windows passes it
    CDialog* m_pMainWnd = nullptr;  // the window that owns the application's message boxes
    std::string m_title;            // string resource 57344, the caption of every message box

private:
    std::string m_profileName;
};

CWinApp* AfxGetApp();
CDialog* AfxGetMainWnd();
HWND AfxGetMainHwnd();  // the main window's handle, or null before it exists
// The application's message box: owned by the main window, captioned with the application
// title, with the exclamation icon unless type names another.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);

}  // namespace vistello
