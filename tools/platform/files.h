#pragma once
// The tool's one way to files, behind which each platform sits (tools/posix/posix_files.cpp,
// tools/win32/win32_files.cpp on the wide-character API). Paths are UTF-8.
//
// What every implementation guarantees:
//  - inputs are regular files whose size is known when they are opened; pipes, devices and
//    folders are refused before a byte is read;
//  - an output is a temporary file in its target's folder that replaces the target only when
//    it is complete and flushed (a rename over it; on Windows MoveFileExW with
//    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH); a failed, abandoned or interrupted
//    run removes its temporary files and leaves every target as it was;
//  - an output folder for extraction is walked without following any link below it.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vistello::tools {

// What makes two paths the same file: device and inode on POSIX, the volume serial number and
// the file index on Windows (128 bits there, so two words).
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t indexHigh = 0;
    uint64_t indexLow = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

class InputFile {
public:
    virtual ~InputFile() = default;
    virtual uint64_t size() const = 0;
    virtual FileIdentity identity() const = 0;
    // Exactly out.size() bytes from offset; false, with the reason in problem, when fewer come
    // (the file shrank while it was read) or the system fails.
    [[nodiscard]] virtual bool readAt(uint64_t offset, std::span<uint8_t> out, std::string& problem) = 0;
};

// A temporary file beside its target. Destroyed without commit(), it removes itself.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    [[nodiscard]] virtual bool write(std::span<const uint8_t> bytes, std::string& problem) = 0;
    // Flushes the contents to the disk and closes the file: after it only the rename is left.
    [[nodiscard]] virtual bool finish(std::string& problem) = 0;
    // Puts the finished file in the target's place.
    [[nodiscard]] virtual bool commit(std::string& problem) = 0;
    // Puts it there only while nothing has that name, in one step: when something appeared
    // there since the run looked, that stays and the commit fails.
    [[nodiscard]] virtual bool commitNew(std::string& problem) = 0;
};

enum class TargetKind : uint8_t {
    absent,
    file,          // a file the tool may replace
    readOnlyFile,  // a file marked read-only (or not writable by us): never replaced
    link,          // a symbolic link or junction (only OutputFolder reports these)
    other,         // a folder, a device, or something the tool cannot tell
};

struct TargetState {
    TargetKind kind = TargetKind::absent;
    FileIdentity identity;  // of the file the path reaches, for file and readOnlyFile
};

// A folder reached from the one the user named without following a link on the way.
class OutputFolder {
public:
    virtual ~OutputFolder() = default;
    // The subfolder name, made when it does not exist (created tells). Null, with the reason,
    // when name is a link or junction, not a folder, or cannot be made.
    [[nodiscard]] virtual std::unique_ptr<OutputFolder> enter(const std::string& name, bool& created,
                                                              std::string& problem) = 0;
    // What name is, without following a link.
    [[nodiscard]] virtual TargetState examine(const std::string& name) = 0;
    [[nodiscard]] virtual std::unique_ptr<OutputFile> createOutput(const std::string& name, std::string& problem) = 0;
    // Removes the empty subfolder name that enter made, when the run is undone.
    virtual void removeFolder(const std::string& name) = 0;
    // The path of name in this folder, for messages.
    virtual std::string pathOf(const std::string& name) const = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    [[nodiscard]] virtual std::unique_ptr<InputFile> openInput(const std::string& path, std::string& problem) = 0;
    // What path reaches (following links, as writing it would).
    [[nodiscard]] virtual TargetState examineTarget(const std::string& path) = 0;
    // The temporary file for path, in the folder of the file path reaches.
    [[nodiscard]] virtual std::unique_ptr<OutputFile> createOutput(const std::string& path, std::string& problem) = 0;
    [[nodiscard]] virtual std::unique_ptr<OutputFolder> openFolder(const std::string& path, std::string& problem) = 0;
    // The last component of path, as the platform separates them.
    virtual std::string fileName(const std::string& path) const = 0;
    // The folder the running tool lies in, or empty when the system does not say.
    virtual std::string toolFolder() const = 0;
    // The full path that path names from the current folder (links not resolved), as the
    // system spells it; path itself when the system does not say.
    virtual std::string fullPath(const std::string& path) const = 0;
    virtual std::string joinPath(const std::string& folder, const std::string& name) const = 0;
};

}  // namespace vistello::tools
