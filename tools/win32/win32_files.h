#pragma once
// The file seam on Windows: the wide-character functions on extended paths (so paths longer
// than 260 characters work), ReadFile at an offset, a temporary file made with CREATE_NEW beside
// the target, FlushFileBuffers, MoveFileExW with MOVEFILE_REPLACE_EXISTING |
// MOVEFILE_WRITE_THROUGH, and folders walked without following a junction or symbolic link.
#include "platform/files.h"

namespace vistello::tools::win32 {

class Win32FileSystem final : public FileSystem {
public:
    [[nodiscard]] std::unique_ptr<InputFile> openInput(const std::string& path, std::string& problem) override;
    [[nodiscard]] TargetState examineTarget(const std::string& path) override;
    [[nodiscard]] std::unique_ptr<OutputFile> createOutput(const std::string& path, std::string& problem) override;
    [[nodiscard]] std::unique_ptr<OutputFolder> openFolder(const std::string& path, std::string& problem) override;
    std::string fileName(const std::string& path) const override;
    std::string toolFolder() const override;
    std::string fullPath(const std::string& path) const override;
    std::string joinPath(const std::string& folder, const std::string& name) const override;
};

}  // namespace vistello::tools::win32
