#pragma once
// Owners for Win32 handles: one small move-only class per acquire/release pair. Handles the
// program only borrows stay raw.
#include <windows.h>

namespace vistello {

// InvalidMeansNone: the acquiring call reports failure as INVALID_HANDLE_VALUE (CreateFile,
// FindFirstFile); the owner keeps null instead, so that its truth value means "owns a handle"
// for every kind.
template <typename H, auto Release, bool InvalidMeansNone = false>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(none(h)) {}
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
        h_ = none(h);
    }

private:
    static H none(H h) {
        if constexpr (InvalidMeansNone) {
            if (h == INVALID_HANDLE_VALUE) return nullptr;
        }
        return h;
    }

    H h_ = nullptr;
};

inline BOOL deleteGdiObject(HGDIOBJ h) { return DeleteObject(h); }

using UniqueFileHandle = UniqueHandle<HANDLE, CloseHandle, true>;  // CreateFileA
using UniqueFind = UniqueHandle<HANDLE, FindClose, true>;          // FindFirstFileA
template <typename H>
using UniqueGdiObject = UniqueHandle<H, deleteGdiObject>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniqueRegKey = UniqueHandle<HKEY, RegCloseKey>;

}  // namespace vistello
