#pragma once
// The file seam on POSIX: descriptors, pread, a temporary file made with O_EXCL beside the
// target, fsync, renameat, and folders walked with openat and O_NOFOLLOW.
#include "platform/files.h"

namespace vistello::tools::posix {

class PosixFileSystem final : public FileSystem {
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

}  // namespace vistello::tools::posix
