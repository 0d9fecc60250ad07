// The Windows side of usable_cores.h: the processors of the process's affinity mask.
#include <windows.h>

#include "common/usable_cores.h"

namespace vistello {

uint32_t usableCoreCount() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
        uint32_t count = 0;
        for (; process != 0; process &= process - 1) ++count;
        return count;
    }
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? static_cast<uint32_t>(info.dwNumberOfProcessors) : 1u;
}

}  // namespace vistello
