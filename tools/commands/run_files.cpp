#include "commands/run_files.h"

#include <new>

#include "text/display_text.h"

namespace vistello::tools {

bool openRunInput(FileSystem& files, std::string role, const std::string& path, uint64_t limit,
                  const std::string& limitText, RunInput& input, std::string& problem) {
    input.file = files.openInput(path, problem);
    if (!input.file) return false;
    if (input.file->size() > limit) {
        problem = displayUtf8(path) + " (" + role + ") is " + std::to_string(input.file->size()) + " bytes, more than " +
                  limitText;
        input.file.reset();
        return false;
    }
    input.role = std::move(role);
    input.path = path;
    return true;
}

bool readWholeInput(InputFile& file, std::vector<uint8_t>& bytes, const std::string& path, std::string& problem) {
    try {
        bytes.resize(size_t(file.size()));
    } catch (const std::bad_alloc&) {
        problem = displayUtf8(path) + ": out of memory for its " + std::to_string(file.size()) + " bytes";
        return false;
    }
    return file.readAt(0, bytes, problem);
}

bool targetAllowed(const TargetState& state, const std::string& shownPath, std::span<const RunInput* const> inputs,
                   bool noClobber, std::string& problem) {
    const std::string shown = displayUtf8(shownPath);
    switch (state.kind) {
    case TargetKind::absent: return true;
    case TargetKind::link:
        problem = shown + " is a symbolic link or junction; links below the folder are never followed";
        return false;
    case TargetKind::other:
        problem = shown + " exists and is not a file (a folder or a device), so it is not replaced";
        return false;
    case TargetKind::readOnlyFile:
    case TargetKind::file: break;
    }
    for (const RunInput* input : inputs) {
        if (input && input->file && input->file->identity() != FileIdentity{} && input->file->identity() == state.identity) {
            problem = shown + " is the same file as " + input->role + " " + displayUtf8(input->path) +
                      ": writing it would destroy the input";
            return false;
        }
    }
    if (state.kind == TargetKind::readOnlyFile) {
        problem = shown + " is read-only, so it is not replaced";
        return false;
    }
    if (noClobber) {
        problem = shown + " exists, and --no-clobber forbids replacing it";
        return false;
    }
    return true;
}

bool commitOutput(OutputFile& output, bool noClobber, std::string& problem) {
    return noClobber ? output.commitNew(problem) : output.commit(problem);
}

}  // namespace vistello::tools
