#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vistello::test {

struct MenuItem {
    std::string where;  // "system", "popup", "popup/1", ...
    int position = 0;
    int id = 0;
    unsigned state = 0;
    std::string text;   // UTF-8
};

// Loads menu_probe.dll into the process and returns the menus it saw there: the system menu
// of its visible window and, while one is open, the popup menu.
std::vector<MenuItem> probeMenus(HANDLE process, DWORD processId);
// An item by its id in the menu at where or in one of its submenus, or nullptr.
const MenuItem* findItem(const std::vector<MenuItem>& items, const std::string& where, int id);

}  // namespace vistello::test
