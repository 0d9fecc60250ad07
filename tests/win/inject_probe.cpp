#include "inject_probe.h"

#include <fstream>
#include <sstream>

#include "program_runner.h"

namespace vistello::test {

std::vector<MenuItem> probeMenus(HANDLE process, DWORD processId) {
    std::vector<MenuItem> items;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string report = std::string(temp) + "vistello-menu-probe-" + std::to_string(processId) + ".txt";
    DeleteFileA(report.c_str());

    std::string dll = VISTELLO_MENU_PROBE_PATH;
    if (!dll.empty() && dll.front() == '/') dll = "Z:" + dll;
    for (char& c : dll)
        if (c == '/') c = '\\';
    void* remote = VirtualAllocEx(process, nullptr, dll.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return items;
    WriteProcessMemory(process, remote, dll.c_str(), dll.size() + 1, nullptr);
    // kernel32 lies at the same address in every process of a session.
    auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr);
    if (thread) {
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);

    waitUntil([&] { return GetFileAttributesA(report.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5s);
    std::ifstream in(report);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        MenuItem item;
        std::string position, id, state;
        std::getline(fields, item.where, '\t');
        std::getline(fields, position, '\t');
        std::getline(fields, id, '\t');
        std::getline(fields, state, '\t');
        std::getline(fields, item.text);
        item.position = std::stoi(position);
        item.id = std::stoi(id);
        item.state = unsigned(std::stoul(state));
        items.push_back(item);
    }
    in.close();
    DeleteFileA(report.c_str());
    return items;
}

const MenuItem* findItem(const std::vector<MenuItem>& items, const std::string& where, int id) {
    for (const auto& item : items)
        if (item.id == id && (item.where == where || item.where.rfind(where + "/", 0) == 0)) return &item;
    return nullptr;
}

}  // namespace vistello::test
