#pragma once
// Owners for Win32 handles: one small move-only class per acquire/release pair. Handles the
// program only borrows stay raw.
#include <windows.h>

namespace vistello {

template <typename H, auto Release>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    H release() {
        H h = h_;
        h_ = nullptr;
        return h;
    }
    void reset(H h = nullptr) {
        if (h_) (void)Release(h_);  // nothing useful can be done when a release fails
        h_ = h;
    }

private:
    H h_ = nullptr;
};

inline BOOL closeKernelHandle(HANDLE h) { return h == INVALID_HANDLE_VALUE ? TRUE : CloseHandle(h); }
inline BOOL deleteGdiObject(HGDIOBJ h) { return DeleteObject(h); }

// Kernel handles: CreateFile reports failure as INVALID_HANDLE_VALUE, other calls as null.
class UniqueFileHandle : public UniqueHandle<HANDLE, closeKernelHandle> {
public:
    using UniqueHandle::UniqueHandle;
    bool valid() const { return get() != nullptr && get() != INVALID_HANDLE_VALUE; }
};

template <typename H>
using UniqueGdiObject = UniqueHandle<H, deleteGdiObject>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
inline BOOL closeFindHandle(HANDLE h) { return h == INVALID_HANDLE_VALUE ? TRUE : FindClose(h); }
using UniqueFind = UniqueHandle<HANDLE, closeFindHandle>;
using UniqueRegKey = UniqueHandle<HKEY, RegCloseKey>;

}  // namespace vistello
