#pragma once
// The cores this process may run on (its affinity), at least 1. Natively it is read from the
// scheduler; the Windows program links its own implementation from the Win32 side, so the
// portable core never sees the system's headers.
#include <cstdint>

namespace vistello {

[[nodiscard]] uint32_t usableCoreCount();

}  // namespace vistello
