#include "app/win32/win32_files.h"

#include <algorithm>

#include "app/win32/shell_copy.h"

namespace vistello {
namespace {

// ReadFile and WriteFile take a DWORD count: larger transfers go in parts of this size.
constexpr size_t maxCallBytes = size_t(1) << 30;

}  // namespace

std::string programPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, path + std::min<DWORD>(length, MAX_PATH));
}

TempFileGuard::TempFileGuard(const char* prefix) {
    char folder[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return;
    char name[MAX_PATH] = {};
    if (GetTempFileNameA(folder, prefix, 0, name) == 0) return;
    path_ = name;
}

TempFileGuard::~TempFileGuard() {
    if (!path_.empty()) DeleteFileA(path_.c_str());
}

UniqueFileHandle openForReading(const std::string& path) {
    return UniqueFileHandle(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

UniqueFileHandle createForWriting(const std::string& path, DWORD shareMode) {
    return UniqueFileHandle(
        CreateFileA(path.c_str(), GENERIC_WRITE, shareMode, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool writeAll(HANDLE file, const void* bytes, size_t size) {
    const auto* next = static_cast<const uint8_t*>(bytes);
    while (size > 0) {
        const DWORD chunk = DWORD(std::min<size_t>(size, maxCallBytes));
        DWORD written = 0;
        if (!WriteFile(file, next, chunk, &written, nullptr) || written != chunk) return false;
        next += written;
        size -= written;
    }
    return true;
}

bool readWholeFile(const std::string& path, ByteBuffer& bytes) {
    WIN32_FIND_DATAA found{};
    if (!UniqueFind(FindFirstFileA(path.c_str(), &found))) return false;
    if (!bytes.allocate(found.nFileSizeLow)) return false;
    UniqueFileHandle file = openForReading(path);
    if (!file) return false;
    FileByteSource source(file.get());
    return source.read(bytes.data(), bytes.size()) == bytes.size();
}

FileByteSource::FileByteSource(HANDLE file) : file_(file) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size)) size_ = uint64_t(size.QuadPart);
}

uint64_t FileByteSource::position() const {
    LARGE_INTEGER zero{}, now{};
    if (!SetFilePointerEx(file_, zero, &now, FILE_CURRENT)) return size_;
    return uint64_t(now.QuadPart);
}

uint64_t FileByteSource::remaining() const {
    const uint64_t at = position();
    return at < size_ ? size_ - at : 0;
}

size_t FileByteSource::read(uint8_t* out, size_t count) {
    size_t total = 0;
    while (total < count) {
        const DWORD chunk = DWORD(std::min<size_t>(count - total, maxCallBytes));
        DWORD got = 0;
        if (!ReadFile(file_, out + total, chunk, &got, nullptr) || got == 0) break;
        total += got;
    }
    return total;
}

bool FileByteSource::skip(uint64_t count) {
    const uint64_t left = remaining();
    LARGE_INTEGER distance{};
    distance.QuadPart = LONGLONG(std::min(count, left));
    if (!SetFilePointerEx(file_, distance, nullptr, FILE_CURRENT)) return false;
    return count <= left;
}

bool FileByteSource::seekFromStart(int32_t offset) {
    return SetFilePointer(file_, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

PackageCopy::PackageCopy(const char* prefix, const std::string& programFile, uint32_t packageOffsetLow)
    : copy_(prefix) {
    if (!copy_.created() || !CopyFileWithShell(programFile, copy_.path())) return;
    file_ = openForReading(copy_.path());
    if (!file_) return;
    source_.emplace(file_.get());
    if (!source_->seekFromStart(int32_t(packageOffsetLow))) source_.reset();
}

}  // namespace vistello
