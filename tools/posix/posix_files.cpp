#include "posix/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "posix/interrupt_cleanup.h"
#include "text/display_text.h"

namespace vistello::tools::posix {
namespace {

constexpr mode_t newFileMode = 0666;    // less the umask, as every tool creates files
constexpr mode_t newFolderMode = 0777;
constexpr size_t temporaryNameRoom = 200;  // of the target's name kept in the temporary's name

std::string failure(const std::string& path, const char* action, int error) {
    return displayUtf8(path) + ": cannot " + action + ": " + std::strerror(error);
}

// A descriptor that closes itself.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (fd_ >= 0) close(fd_);
        fd_ = fd;
    }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

FileIdentity identityOf(const struct stat& status) {
    return {uint64_t(status.st_dev), 0, uint64_t(status.st_ino)};
}

// Read-only for the tool: no write permission bit at all (which root must respect too, so the
// mode is asked, not only access()), or one the system does not grant us.
bool isReadOnly(int folder, const char* name, const struct stat& status) {
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
    return faccessat(folder, name, W_OK, AT_EACCESS) != 0;
}

TargetState stateOf(int folder, const char* name, int flags) {
    struct stat status {};
    if (fstatat(folder, name, &status, flags) != 0) {
        return {errno == ENOENT ? TargetKind::absent : TargetKind::other, {}};
    }
    if (S_ISLNK(status.st_mode)) return {TargetKind::link, {}};
    if (!S_ISREG(status.st_mode)) return {TargetKind::other, {}};
    return {isReadOnly(folder, name, status) ? TargetKind::readOnlyFile : TargetKind::file, identityOf(status)};
}

std::string randomSuffix() {
    static std::mt19937_64 generator{std::random_device{}() ^ uint64_t(getpid())};
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 8; ++i) suffix.push_back(letters[generator() % (sizeof letters - 1)]);
    return suffix;
}

class PosixInputFile final : public InputFile {
public:
    PosixInputFile(Descriptor fd, const struct stat& status, std::string path)
        : fd_(std::move(fd)), size_(uint64_t(status.st_size)), identity_(identityOf(status)), path_(std::move(path)) {}
    uint64_t size() const override { return size_; }
    FileIdentity identity() const override { return identity_; }
    bool readAt(uint64_t offset, std::span<uint8_t> out, std::string& problem) override {
        size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = pread(fd_.get(), out.data() + done, out.size() - done, off_t(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                problem = failure(path_, "read", errno);
                return false;
            }
            if (got == 0) {
                problem = displayUtf8(path_) + ": the file ended early: it changed while the tool read it";
                return false;
            }
            done += size_t(got);
        }
        return true;
    }

private:
    Descriptor fd_;
    uint64_t size_;
    FileIdentity identity_;
    std::string path_;
};

class PosixOutputFile final : public OutputFile {
public:
    PosixOutputFile(Descriptor folder, std::string temporary, std::string target, Descriptor fd, std::string path,
                    const TargetState& replaced, mode_t replacedMode)
        : folder_(std::move(folder)), temporary_(std::move(temporary)), target_(std::move(target)), fd_(std::move(fd)),
          path_(std::move(path)), keepMode_(replaced.kind == TargetKind::file), replacedMode_(replacedMode) {
        token_ = track(folder_.get(), temporary_, TrackedKind::file);
    }
    ~PosixOutputFile() override {
        fd_.reset();
        if (!committed_) (void)unlinkat(folder_.get(), temporary_.c_str(), 0);
        untrack(token_);
    }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    bool write(std::span<const uint8_t> bytes, std::string& problem) override {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                problem = failure(path_, "write", put < 0 ? errno : EIO);
                return false;
            }
            done += size_t(put);
        }
        return true;
    }

    bool finish(std::string& problem) override {
        // A replaced file keeps its permissions; a new one gets the usual 0666 less the umask.
        if (keepMode_ && fchmod(fd_.get(), replacedMode_ & 07777) != 0) {
            problem = failure(path_, "keep the permissions of", errno);
            return false;
        }
        if (fsync(fd_.get()) != 0) {
            problem = failure(path_, "write", errno);
            return false;
        }
        if (close(fd_.release()) != 0) {
            problem = failure(path_, "write", errno);
            return false;
        }
        return true;
    }

    bool commit(std::string& problem) override {
        if (renameat(folder_.get(), temporary_.c_str(), folder_.get(), target_.c_str()) != 0) {
            problem = failure(path_, "replace", errno);
            return false;
        }
        return markCommitted();
    }

    // A rename that refuses to replace; where the file system has no such rename, a hard link
    // (made only where nothing has the name) and then the temporary's own name goes.
    bool commitNew(std::string& problem) override {
        if (renameat2(folder_.get(), temporary_.c_str(), folder_.get(), target_.c_str(), RENAME_NOREPLACE) == 0)
            return markCommitted();
        int error = errno;
        if (error == EINVAL || error == ENOSYS) {
            if (linkat(folder_.get(), temporary_.c_str(), folder_.get(), target_.c_str(), 0) == 0) {
                (void)unlinkat(folder_.get(), temporary_.c_str(), 0);
                return markCommitted();
            }
            error = errno;
        }
        problem = error == EEXIST ? displayUtf8(path_) + " appeared while the tool wrote it, so it is not replaced"
                                  : failure(path_, "create", error);
        return false;
    }

private:
    bool markCommitted() {
        committed_ = true;
        untrack(token_);
        token_ = -1;
        (void)fsync(folder_.get());  // the rename itself reaches the disk; a failure here loses nothing written
        return true;
    }

    Descriptor folder_;
    std::string temporary_;
    std::string target_;
    Descriptor fd_;
    std::string path_;
    bool keepMode_;
    mode_t replacedMode_;
    bool committed_ = false;
    int token_ = -1;
};

class PosixFolder final : public OutputFolder {
public:
    PosixFolder(Descriptor fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
    ~PosixFolder() override {
        for (const auto& made : made_) untrack(made.token);
    }
    PosixFolder(const PosixFolder&) = delete;
    PosixFolder& operator=(const PosixFolder&) = delete;

    std::unique_ptr<OutputFolder> enter(const std::string& name, bool& created, std::string& problem) override {
        created = false;
        const TargetState state = stateOf(fd_.get(), name.c_str(), AT_SYMLINK_NOFOLLOW);
        if (state.kind == TargetKind::link) {
            problem = displayUtf8(pathOf(name)) + " is a symbolic link; links below the folder are never followed";
            return nullptr;
        }
        if (state.kind == TargetKind::absent) {
            const InterruptsHeld held;  // made and tracked as one step
            if (mkdirat(fd_.get(), name.c_str(), newFolderMode) != 0) {
                problem = failure(pathOf(name), "make the folder", errno);
                return nullptr;
            }
            created = true;
            made_.push_back({name, track(fd_.get(), name, TrackedKind::folder)});
        }
        Descriptor sub(openat(fd_.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!sub) {
            problem = errno == ENOTDIR || errno == ELOOP
                          ? displayUtf8(pathOf(name)) + " exists and is not a folder"
                          : failure(pathOf(name), "open the folder", errno);
            return nullptr;
        }
        return std::make_unique<PosixFolder>(std::move(sub), pathOf(name));
    }

    TargetState examine(const std::string& name) override {
        return stateOf(fd_.get(), name.c_str(), AT_SYMLINK_NOFOLLOW);
    }

    std::unique_ptr<OutputFile> createOutput(const std::string& name, std::string& problem) override {
        struct stat status {};
        const bool exists = fstatat(fd_.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
        const TargetState replaced = examine(name);
        Descriptor folder(fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
        if (!folder) {
            problem = failure(pathOf(name), "create", errno);
            return nullptr;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string temporary = "." + name.substr(0, temporaryNameRoom) + "." + randomSuffix() + ".tmp";
            const InterruptsHeld held;  // made and tracked (by the output file) as one step
            Descriptor fd(openat(folder.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                 newFileMode));
            if (fd) {
                return std::make_unique<PosixOutputFile>(std::move(folder), temporary, name, std::move(fd), pathOf(name),
                                                         replaced, exists ? status.st_mode : 0);
            }
            if (errno != EEXIST) {
                problem = failure(pathOf(name), "create a temporary file beside", errno);
                return nullptr;
            }
        }
        problem = failure(pathOf(name), "create a temporary file beside", EEXIST);
        return nullptr;
    }

    void removeFolder(const std::string& name) override {
        for (auto& made : made_) {
            if (made.name != name || made.token < 0) continue;
            (void)unlinkat(fd_.get(), name.c_str(), AT_REMOVEDIR);
            untrack(made.token);
            made.token = -1;
        }
    }

    std::string pathOf(const std::string& name) const { return path_ == "/" ? "/" + name : path_ + "/" + name; }

private:
    struct Made {
        std::string name;
        int token;
    };
    Descriptor fd_;
    std::string path_;
    std::vector<Made> made_;
};

std::string folderPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string namePart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path a link leads to; the path itself when it is no link.
bool resolveLink(const std::string& path, std::string& resolved, std::string& problem) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        resolved = path;
        return true;
    }
    char* real = realpath(path.c_str(), nullptr);
    if (!real) {
        problem = displayUtf8(path) + " is a symbolic link that leads nowhere";
        return false;
    }
    resolved = real;
    std::free(real);
    return true;
}

}  // namespace

std::unique_ptr<InputFile> PosixFileSystem::openInput(const std::string& path, std::string& problem) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
    Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) {
        problem = failure(path, "open", errno);
        return nullptr;
    }
    struct stat status {};
    if (fstat(fd.get(), &status) != 0) {
        problem = failure(path, "open", errno);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        problem = displayUtf8(path) + " is a folder, not a file";
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        problem = displayUtf8(path) + " is not a regular file (a pipe or a device): the tool reads only files whose "
                                      "size is known before it reads them";
        return nullptr;
    }
    (void)fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<PosixInputFile>(std::move(fd), status, path);
}

TargetState PosixFileSystem::examineTarget(const std::string& path) {
    return stateOf(AT_FDCWD, path.c_str(), 0);
}

std::unique_ptr<OutputFile> PosixFileSystem::createOutput(const std::string& path, std::string& problem) {
    std::string resolved;
    if (!resolveLink(path, resolved, problem)) return nullptr;
    const std::string folder = folderPart(resolved);
    auto opened = openFolder(folder, problem);
    if (!opened) return nullptr;
    return opened->createOutput(namePart(resolved), problem);
}

std::unique_ptr<OutputFolder> PosixFileSystem::openFolder(const std::string& path, std::string& problem) {
    Descriptor fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        problem = errno == ENOTDIR ? displayUtf8(path) + " is not a folder" : failure(path, "open the folder", errno);
        return nullptr;
    }
    return std::make_unique<PosixFolder>(std::move(fd), path);
}

std::string PosixFileSystem::fileName(const std::string& path) const { return namePart(path); }

std::string PosixFileSystem::toolFolder() const {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return folderPart(std::string(buffer.data(), size_t(length)));
}

std::string PosixFileSystem::fullPath(const std::string& path) const {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

std::string PosixFileSystem::joinPath(const std::string& folder, const std::string& name) const {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace vistello::tools::posix
