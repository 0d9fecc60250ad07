#include "common/usable_cores.h"

#include <sched.h>

#include <thread>

namespace vistello {

uint32_t usableCoreCount() {
#ifdef __linux__
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        const int count = CPU_COUNT(&allowed);
        if (count > 0) return static_cast<uint32_t>(count);
    }
#endif
    const unsigned machine = std::thread::hardware_concurrency();
    return machine > 0 ? machine : 1u;
}

}  // namespace vistello
