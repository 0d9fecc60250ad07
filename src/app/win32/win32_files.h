#pragma once
// Files as the program uses them: its own path, temporary copies that are always deleted,
// files opened read-only without sharing, the package readers' byte source over such a file,
// and the package read from a temporary copy of the program file.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "app/byte_source.h"
#include "common/byte_buffer.h"
#include "framework/handles.h"

namespace vistello {

// The program's own path as the system reports it for the running module.
std::string programPath();

// A unique temporary file in the system's temporary folder (GetTempFileNameA with the prefix,
// unique number 0, so the system creates it empty). Deleted when the guard goes, on every way
// out, unless released.
class TempFileGuard {
public:
    explicit TempFileGuard(const char* prefix);
    ~TempFileGuard();
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    bool created() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Opens a file read-only without sharing; invalid when it cannot be opened.
UniqueFileHandle openForReading(const std::string& path);
// Creates (or truncates) a file for writing.
UniqueFileHandle createForWriting(const std::string& path, DWORD shareMode = 0);
// WriteFile of all bytes; false on an error or a short write.
[[nodiscard]] bool writeAll(HANDLE file, const void* bytes, size_t size);
// A whole file into bytes, sized by the low 32 bits of the size its directory entry reports.
[[nodiscard]] bool readWholeFile(const std::string& path, ByteBuffer& bytes);

// The package readers' source over an open file, from its current position.
class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(HANDLE file);
    [[nodiscard]] size_t read(uint8_t* out, size_t count) override;
    [[nodiscard]] bool skip(uint64_t count) override;
    [[nodiscard]] uint64_t remaining() const override;
    // Seeks to an offset from the start of the file (a signed 32-bit offset, as the package
    // offset's low word is used).
    [[nodiscard]] bool seekFromStart(int32_t offset);

private:
    uint64_t position() const;
    HANDLE file_;
    uint64_t size_ = 0;
};

// A program file's package, read from a temporary copy of the file (the file itself is never
// opened): copied with the shell to a temporary file of the prefix, opened, and positioned at
// the package offset's low word, which the readers take as a signed 32-bit offset. The copy is
// closed and deleted when the object goes, on every way out.
class PackageCopy {
public:
    PackageCopy(const char* prefix, const std::string& programFile, uint32_t packageOffsetLow);
    PackageCopy(const PackageCopy&) = delete;
    PackageCopy& operator=(const PackageCopy&) = delete;
    // False when the copy, the open or the seek failed (the shell copy has shown its message).
    bool ready() const { return source_.has_value(); }
    ByteSource& source() { return *source_; }

private:
    TempFileGuard copy_;
    UniqueFileHandle file_;  // declared after the guard: closed before the copy is deleted
    std::optional<FileByteSource> source_;
};

}  // namespace vistello
