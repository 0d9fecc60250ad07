#include "app/win32/new_file.h"

#include "app/win32/win32_files.h"

namespace vistello {

NewFileResult writeNewFile(const std::string& path, std::span<const uint8_t> bytes) {
    UniqueFileHandle file = createForWriting(path);
    if (!file) return NewFileResult::notCreated;
    if (writeAll(file.get(), bytes.data(), bytes.size())) return NewFileResult::written;
    file.reset();  // closed before it can be deleted
    (void)DeleteFileA(path.c_str());  // a file that cannot be deleted has no further remedy here
    return NewFileResult::notWritten;
}

}  // namespace vistello
