#include "win32/win32_files.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "framework/handles.h"
#include "text/display_text.h"
#include "win32/interrupt_cleanup.h"
#include "win32/wide_text.h"

namespace vistello::tools::win32 {
namespace {

constexpr size_t temporaryNameRoom = 200;  // of the target's name kept in the temporary's name
constexpr DWORD largestTransfer = DWORD(1) << 30;
constexpr DWORD shareEverything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string failure(const std::string& path, const char* action, DWORD error) {
    return displayUtf8(path) + ": cannot " + action + ": " + systemMessage(error);
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool notFound(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

FileIdentity identityOf(HANDLE file) {
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(file, FileIdInfo, &id, sizeof id)) {
        FileIdentity identity{id.VolumeSerialNumber, 0, 0};
        std::memcpy(&identity.indexLow, id.FileId.Identifier, sizeof identity.indexLow);
        std::memcpy(&identity.indexHigh, id.FileId.Identifier + sizeof identity.indexLow, sizeof identity.indexHigh);
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return {};
    return {info.dwVolumeSerialNumber, 0, (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// What an open handle is: a folder, a link (when opened without following it), a file.
TargetState stateOfHandle(HANDLE file) {
    if (GetFileType(file) != FILE_TYPE_DISK) return {TargetKind::other, {}};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return {TargetKind::other, {}};
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return {TargetKind::link, {}};
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {TargetKind::other, {}};
    const bool readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return {readOnly ? TargetKind::readOnlyFile : TargetKind::file, identityOf(file)};
}

// Opens path only to look at it; followLinks as writing through the path would.
UniqueFileHandle openToLook(const std::wstring& path, bool followLinks) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return UniqueFileHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, shareEverything, nullptr, OPEN_EXISTING, flags, nullptr));
}

TargetState stateOf(const std::wstring& path, bool followLinks) {
    const UniqueFileHandle file = openToLook(path, followLinks);
    if (!file) return {notFound(GetLastError()) ? TargetKind::absent : TargetKind::other, {}};
    return stateOfHandle(file.get());
}

std::wstring folderPart(const std::wstring& path) {
    const size_t at = path.find_last_of(L'\\');
    return at == std::wstring::npos ? L"." : path.substr(0, at);
}

std::wstring namePart(const std::wstring& path) {
    const size_t at = path.find_last_of(L'\\');
    return at == std::wstring::npos ? path : path.substr(at + 1);
}

std::wstring randomSuffix() {
    static std::mt19937_64 generator{std::random_device{}() ^ uint64_t(GetCurrentProcessId())};
    static constexpr wchar_t letters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring suffix;
    for (int i = 0; i < 8; ++i) suffix.push_back(letters[generator() % (std::size(letters) - 1)]);
    return suffix;
}

class Win32InputFile final : public InputFile {
public:
    Win32InputFile(UniqueFileHandle file, uint64_t size, std::string path)
        : file_(std::move(file)), size_(size), identity_(identityOf(file_.get())), path_(std::move(path)) {}
    uint64_t size() const override { return size_; }
    FileIdentity identity() const override { return identity_; }
    bool readAt(uint64_t offset, std::span<uint8_t> out, std::string& problem) override {
        size_t done = 0;
        while (done < out.size()) {
            const uint64_t at = offset + done;
            OVERLAPPED where{};
            where.Offset = DWORD(at);
            where.OffsetHigh = DWORD(at >> 32);
            const DWORD wanted = DWORD(std::min<size_t>(out.size() - done, largestTransfer));
            DWORD got = 0;
            if (!ReadFile(file_.get(), out.data() + done, wanted, &got, &where) && GetLastError() != ERROR_HANDLE_EOF) {
                problem = failure(path_, "read", GetLastError());
                return false;
            }
            if (got == 0) {
                problem = displayUtf8(path_) + ": the file ended early: it changed while the tool read it";
                return false;
            }
            done += got;
        }
        return true;
    }

private:
    UniqueFileHandle file_;
    uint64_t size_;
    FileIdentity identity_;
    std::string path_;
};

class Win32OutputFile final : public OutputFile {
public:
    Win32OutputFile(UniqueFileHandle file, std::wstring temporary, std::wstring target, std::string path, int token)
        : file_(std::move(file)), temporary_(std::move(temporary)), target_(std::move(target)), path_(std::move(path)),
          token_(token) {}
    ~Win32OutputFile() override {
        const InterruptsHeld held;
        close();
        if (!committed_) DeleteFileW(temporary_.c_str());
        untrack(token_);
    }
    Win32OutputFile(const Win32OutputFile&) = delete;
    Win32OutputFile& operator=(const Win32OutputFile&) = delete;

    bool write(std::span<const uint8_t> bytes, std::string& problem) override {
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD wanted = DWORD(std::min<size_t>(bytes.size() - done, largestTransfer));
            DWORD put = 0;
            const InterruptsHeld held;  // an interrupt waits for the write, then closes and removes the file
            if (!WriteFile(file_.get(), bytes.data() + done, wanted, &put, nullptr) || put == 0) {
                problem = failure(path_, "write", GetLastError());
                return false;
            }
            done += put;
        }
        return true;
    }

    bool finish(std::string& problem) override {
        if (!FlushFileBuffers(file_.get())) {
            problem = failure(path_, "write", GetLastError());
            return false;
        }
        const InterruptsHeld held;
        close();
        return true;
    }

    bool commit(std::string& problem) override { return move(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, problem); }

    bool commitNew(std::string& problem) override { return move(MOVEFILE_WRITE_THROUGH, problem); }

private:
    void close() {
        forgetHandle(token_);
        file_.reset();
    }

    bool move(DWORD flags, std::string& problem) {
        const InterruptsHeld held;
        if (!MoveFileExW(temporary_.c_str(), target_.c_str(), flags)) {
            const DWORD error = GetLastError();
            problem = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS
                          ? displayUtf8(path_) + " appeared while the tool wrote it, so it is not replaced"
                          : failure(path_, "replace", error);
            return false;
        }
        committed_ = true;
        untrack(token_);
        token_ = -1;
        return true;
    }

    UniqueFileHandle file_;
    std::wstring temporary_;
    std::wstring target_;
    std::string path_;
    int token_;
    bool committed_ = false;
};

// A temporary file ".NAME.XXXXXXXX.tmp" in folder (an extended path), for the target name.
std::unique_ptr<OutputFile> createTemporary(const std::wstring& folder, const std::wstring& name,
                                            const std::string& shownPath, std::string& problem) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temporary = folder + L"\\." + name.substr(0, temporaryNameRoom) + L"." + randomSuffix() + L".tmp";
        const InterruptsHeld held;  // made and tracked as one step
        UniqueFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            const int token = track(temporary, TrackedKind::file, file.get());
            return std::make_unique<Win32OutputFile>(std::move(file), temporary, folder + L"\\" + name, shownPath, token);
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            problem = failure(shownPath, "create a temporary file beside", error);
            return nullptr;
        }
    }
    problem = failure(shownPath, "create a temporary file beside", ERROR_FILE_EXISTS);
    return nullptr;
}

std::string joinShown(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return isSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

class Win32Folder final : public OutputFolder {
public:
    Win32Folder(std::wstring path, std::string shown) : path_(std::move(path)), shown_(std::move(shown)) {}
    ~Win32Folder() override {
        for (const auto& made : made_) untrack(made.token);
    }
    Win32Folder(const Win32Folder&) = delete;
    Win32Folder& operator=(const Win32Folder&) = delete;

    std::unique_ptr<OutputFolder> enter(const std::string& name, bool& created, std::string& problem) override {
        created = false;
        const std::wstring child = childPath(name);
        const TargetState state = stateOf(child, false);
        if (state.kind == TargetKind::link) {
            problem = linkRefusal(name);
            return nullptr;
        }
        if (state.kind == TargetKind::absent) {
            const InterruptsHeld held;  // made and tracked as one step
            if (!CreateDirectoryW(child.c_str(), nullptr)) {
                problem = failure(pathOf(name), "make the folder", GetLastError());
                return nullptr;
            }
            created = true;
            made_.push_back({name, track(child, TrackedKind::folder)});
        }
        // Looked at again through a handle, which is what the checks hold for. (It is not kept
        // open: a folder with an open handle could not be removed when the run is undone.)
        const UniqueFileHandle opened = openToLook(child, false);
        if (!opened) {
            problem = failure(pathOf(name), "open the folder", GetLastError());
            return nullptr;
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(opened.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            problem = linkRefusal(name);
            return nullptr;
        }
        if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            problem = displayUtf8(pathOf(name)) + " exists and is not a folder";
            return nullptr;
        }
        return std::make_unique<Win32Folder>(child, pathOf(name));
    }

    TargetState examine(const std::string& name) override { return stateOf(childPath(name), false); }

    std::unique_ptr<OutputFile> createOutput(const std::string& name, std::string& problem) override {
        return createTemporary(path_, wideFromUtf8(name), pathOf(name), problem);
    }

    void removeFolder(const std::string& name) override {
        for (auto& made : made_) {
            if (made.name != name || made.token < 0) continue;
            RemoveDirectoryW(childPath(name).c_str());
            untrack(made.token);
            made.token = -1;
        }
    }

    std::string pathOf(const std::string& name) const override { return joinShown(shown_, name); }

private:
    struct Made {
        std::string name;
        int token;
    };

    std::wstring childPath(const std::string& name) const { return path_ + L"\\" + wideFromUtf8(name); }
    std::string linkRefusal(const std::string& name) const {
        return displayUtf8(pathOf(name)) + " is a junction or symbolic link; links below the folder are never followed";
    }

    std::wstring path_;
    std::string shown_;
    std::vector<Made> made_;
};

}  // namespace

std::unique_ptr<InputFile> Win32FileSystem::openInput(const std::string& path, std::string& problem) {
    const std::wstring wide = extendedPath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        problem = displayUtf8(path) + " is a folder, not a file";
        return nullptr;
    }
    UniqueFileHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        problem = failure(path, "open", GetLastError());
        return nullptr;
    }
    LARGE_INTEGER size{};
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size)) {
        problem = displayUtf8(path) + " is not a regular file (a pipe or a device): the tool reads only files whose "
                                      "size is known before it reads them";
        return nullptr;
    }
    return std::make_unique<Win32InputFile>(std::move(file), uint64_t(size.QuadPart), path);
}

TargetState Win32FileSystem::examineTarget(const std::string& path) { return stateOf(extendedPath(path), true); }

std::unique_ptr<OutputFile> Win32FileSystem::createOutput(const std::string& path, std::string& problem) {
    std::wstring target = extendedPath(path);
    // A link is written through, as on every system: the temporary goes beside the file it
    // leads to, and replaces that.
    if (stateOf(target, false).kind == TargetKind::link) {
        const UniqueFileHandle file = openToLook(target, true);
        std::wstring final(32768, L'\0');
        const DWORD length = file ? GetFinalPathNameByHandleW(file.get(), final.data(), DWORD(final.size()), 0) : 0;
        if (length == 0 || length >= final.size()) {
            problem = displayUtf8(path) + " is a symbolic link that leads nowhere";
            return nullptr;
        }
        final.resize(length);
        target = final;
    }
    return createTemporary(folderPart(target), namePart(target), path, problem);
}

std::unique_ptr<OutputFolder> Win32FileSystem::openFolder(const std::string& path, std::string& problem) {
    const std::wstring wide = extendedPath(path);
    const UniqueFileHandle folder = openToLook(wide, true);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder) {
        problem = failure(path, "open the folder", GetLastError());
        return nullptr;
    }
    if (!GetFileInformationByHandle(folder.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        problem = displayUtf8(path) + " is not a folder";
        return nullptr;
    }
    return std::make_unique<Win32Folder>(wide, path);
}

std::string Win32FileSystem::fileName(const std::string& path) const {
    const size_t at = path.find_last_of("\\/");
    if (at != std::string::npos) return path.substr(at + 1);
    const bool driveRelative = path.size() >= 2 && path[1] == ':';  // "C:picture.jpg"
    return driveRelative ? path.substr(2) : path;
}

std::string Win32FileSystem::toolFolder() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t at = path.find_last_of(L"\\/");
    return at == std::wstring::npos ? std::string() : utf8FromWide(path.substr(0, at));
}

std::string Win32FileSystem::fullPath(const std::string& path) const { return utf8FromWide(plainFullPath(path)); }

std::string Win32FileSystem::joinPath(const std::string& folder, const std::string& name) const {
    return joinShown(folder, name);
}

}  // namespace vistello::tools::win32
