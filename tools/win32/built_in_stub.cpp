#include "win32/built_in_stub.h"

#include <windows.h>

#include "win32/tool_resources.h"

namespace vistello::tools::win32 {

std::span<const uint8_t> builtInStub() {
    const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_PROGRAM_STUB), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(nullptr, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const uint8_t*>(bytes), size_t(SizeofResource(nullptr, found))};
}

}  // namespace vistello::tools::win32
