// vistello-pack info: every field of a picture program's package, what the program will show of
// its picture, in words or as JSON.
#include <cstdio>

#include "app/package_codes.h"
#include "check/picture_check.h"
#include "commands/command_line.h"
#include "commands/report.h"
#include "commands/run_files.h"
#include "program/package_view.h"
#include "text/display_text.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "info";

constexpr char infoHelp[] = R"(Usage: vistello-pack info [--json] PROGRAM

Prints every field of the picture package that PROGRAM carries (texts in UTF-8, control
characters shown as their visible pictures, bytes that are no text as ⟨HH⟩), the picture's
kind, size and form, what the program will show of it (the same check as make), and the
enclosed files with their sizes. The package is found the way the program finds it: through
the package-offset constant inside the program's own image.
  --json    print every field as one JSON object instead, for scripts

info reads only what it shows: the package's settings (at most 1 MiB of texts), the picture,
and the enclosed files' names (at most 10000 files, names of at most 1024 bytes).

Exit status: 0 shown, 1 no package or a damaged one (or PROGRAM unreadable), 2 usage error.
)";

constexpr OptionRule infoOptions[] = {{"--json", OptionKind::flag, ""}};

std::string meaning(std::span<const CodeName> table, int32_t stored, std::string_view fallback) {
    if (const CodeName* name = codeFor(table, stored)) return std::string(name->meaning);
    return std::string(fallback) + " (unknown value)";
}

std::string zOrderMeaning(int32_t stored) { return meaning(zOrderNames, stored, "normal"); }
std::string positionMeaning(int32_t stored) { return meaning(startPositionNames, stored, "centre"); }
std::string timingMeaning(int32_t stored) {
    return linkTimingOf(stored) ? meaning(linkTimingNames, stored, "") : "never";
}

struct InfoSubject {
    std::string path;
    PackageView view;
    std::vector<uint8_t> picture;
    PictureReport report;
};

// ---- words ---------------------------------------------------------------------------------

std::string line(const char* label, const std::string& value) {
    char head[24];
    std::snprintf(head, sizeof head, "%-18s", label);
    return head + value + "\n";
}

// Continuation lines of a multi-line text line up under the first.
std::string textLine(const char* label, const std::string& cp932) {
    std::string shown;
    for (const char c : displayStoredText(cp932, true)) {
        shown.push_back(c);
        if (c == '\n') shown.append(18, ' ');
    }
    return line(label, shown);
}

std::string fieldsInWords(const PackageFields& f) {
    std::string out = textLine("window title:", f.windowTitle) + textLine("work title:", f.workTitle) +
                      textLine("comment:", f.commentText);
    out += line("auto exit:", f.autoExitSeconds > 0 ? std::to_string(f.autoExitSeconds) + " seconds"
                                                   : "never (" + std::to_string(f.autoExitSeconds) + ")");
    out += line("z-order:", std::to_string(f.zOrderMode) + " (" + zOrderMeaning(f.zOrderMode) + ")");
    out += line("start position:", std::to_string(f.startPosition) + " (" + positionMeaning(f.startPosition) + ")");
    out += line("caption mode:", std::to_string(f.captionMode) + (hasTitleBar(f.captionMode) ? " (title bar)" : " (no title bar)"));
    out += line("auto comment:", std::to_string(f.autoCommentFlag) + (f.autoCommentFlag == autoCommentOn ? " (yes)" : " (no)"));
    out += line("link flag:", std::to_string(f.linkFlag));
    if (f.linkFlag == packageFlagPresent) {
        out += line("link timing:", std::to_string(f.linkTiming) + " (" + timingMeaning(f.linkTiming) + ")");
        out += textLine("link target:", f.linkTarget) + textLine("link parameters:", f.linkParameters);
    }
    return out + line("enclosed flag:", std::to_string(f.enclosedFileFlag));
}

std::string pictureInWords(const InfoSubject& s) {
    const PictureReport& r = s.report;
    std::string out = line("picture:", r.kind + ", " + std::to_string(s.view.picture.size) + " bytes");
    if (r.width > 0 && r.height > 0) out += line("picture size:", std::to_string(r.width) + " x " + std::to_string(r.height));
    if (!r.form.empty()) out += line("picture form:", r.form);
    if (r.shownWhole) {
        out += line("program shows:", "the picture whole");
    } else {
        out += line("program shows:", r.shows);
        out += line("because:", r.refusal);
    }
    for (const auto& warning : r.warnings) out += "warning: " + warning + "\n";
    return out;
}

void printWords(ToolContext& tool, const InfoSubject& s) {
    const PackageView& view = s.view;
    std::string out = line("program:", displayUtf8(s.path));
    out += line("package offset:", std::to_string(view.offset) + " (package " +
                                       std::to_string(view.program.fileSize - view.offset) + " bytes)");
    out += fieldsInWords(view.fields) + pictureInWords(s);
    if (view.fields.enclosedFileFlag == packageFlagPresent) {
        out += line("enclosed files:", std::to_string(view.enclosedFiles.size()));
        for (const auto& file : view.enclosedFiles)
            out += "  " + displayStoredText(file.name, false) + "  " + std::to_string(file.contents.size) + " bytes\n";
    } else {
        out += line("enclosed files:", "none");
    }
    for (const auto& note : view.notes) out += "note: " + note + "\n";
    if (view.trailingBytes != 0) out += "note: " + std::to_string(view.trailingBytes) + " bytes follow the last item and are never read\n";
    tool.console.out(out);
}

// ---- JSON ----------------------------------------------------------------------------------

class JsonObject {
public:
    JsonObject& number(const char* key, int64_t value) { return raw(key, std::to_string(value)); }
    JsonObject& flag(const char* key, bool value) { return raw(key, value ? "true" : "false"); }
    JsonObject& string(const char* key, const std::string& utf8) { return raw(key, "\"" + jsonUtf8(utf8) + "\""); }
    JsonObject& stored(const char* key, const std::string& cp932) { return raw(key, "\"" + jsonStoredText(cp932) + "\""); }
    JsonObject& raw(const char* key, const std::string& json) {
        text_ += (text_.empty() ? "{" : ",") + std::string("\"") + key + "\":" + json;
        return *this;
    }
    std::string done() const { return text_.empty() ? "{}" : text_ + "}"; }

private:
    std::string text_;
};

std::string jsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
    return out + "]";
}

std::vector<std::string> jsonStrings(const std::vector<std::string>& texts) {
    std::vector<std::string> items;
    for (const auto& text : texts) items.push_back("\"" + jsonUtf8(text) + "\"");
    return items;
}

std::string pictureJson(const InfoSubject& s) {
    const PictureReport& r = s.report;
    JsonObject picture;
    picture.string("kind", r.kind).number("offset", int64_t(s.view.picture.at)).number("length", s.view.picture.size);
    picture.number("width", r.width).number("height", r.height).string("form", r.form).flag("shownWhole", r.shownWhole);
    picture.string("refusal", r.refusal).string("shows", r.shownWhole ? "the picture whole" : r.shows);
    picture.raw("warnings", jsonList(jsonStrings(r.warnings))).raw("messages", jsonList(jsonStrings(r.messages)));
    return picture.done();
}

void printJson(ToolContext& tool, const InfoSubject& s) {
    const PackageView& v = s.view;
    const PackageFields& f = v.fields;
    JsonObject out;
    out.string("program", s.path).number("fileSize", int64_t(v.program.fileSize)).number("packageOffset", int64_t(v.offset));
    out.stored("windowTitle", f.windowTitle).stored("workTitle", f.workTitle).stored("comment", f.commentText);
    out.number("autoExitSeconds", f.autoExitSeconds);
    out.number("zOrderMode", f.zOrderMode).string("zOrder", zOrderMeaning(f.zOrderMode));
    out.number("startPosition", f.startPosition).string("position", positionMeaning(f.startPosition));
    out.number("captionMode", f.captionMode).flag("titleBar", hasTitleBar(f.captionMode));
    out.number("autoCommentFlag", f.autoCommentFlag).number("linkFlag", f.linkFlag);
    if (f.linkFlag == packageFlagPresent) {
        out.number("linkTiming", f.linkTiming).string("linkWhen", timingMeaning(f.linkTiming));
        out.stored("linkTarget", f.linkTarget).stored("linkParameters", f.linkParameters);
    }
    out.number("enclosedFileFlag", f.enclosedFileFlag).raw("picture", pictureJson(s));
    std::vector<std::string> files;
    for (const auto& file : v.enclosedFiles) {
        JsonObject entry;
        files.push_back(entry.stored("name", file.name).number("offset", int64_t(file.contents.at)).number("size", file.contents.size).done());
    }
    out.raw("enclosedFiles", jsonList(files)).raw("notes", jsonList(jsonStrings(v.notes)));
    out.number("trailingBytes", int64_t(v.trailingBytes));
    tool.console.out(out.done() + "\n");
}

}  // namespace

int runInfo(std::span<const std::string> arguments, ToolContext& tool) {
    ParsedArguments parsed;
    std::string problem;
    if (!parseArguments(arguments, infoOptions, parsed, problem)) return usageError(tool, command, problem);
    if (parsed.help) {
        tool.console.out(infoHelp);
        return exitSuccess;
    }
    if (parsed.positional.empty()) return usageError(tool, command, "no program given");
    if (parsed.positional.size() > 1) return usageError(tool, command, "more than one program given");

    InfoSubject subject;
    subject.path = parsed.positional[0];
    auto file = tool.files.openInput(subject.path, problem);
    if (!file) return inputError(tool, command, problem);
    if (!readPackageView(*file, subject.view, problem)) return inputError(tool, command, displayUtf8(subject.path) + ": " + problem);
    subject.picture.resize(subject.view.picture.size);
    if (!file->readAt(subject.view.picture.at, subject.picture, problem)) return inputError(tool, command, problem);
    subject.report = checkPicture(subject.picture, {subject.view.fields.captionMode, subject.view.fields.startPosition});
    if (parsed.has("--json")) printJson(tool, subject);
    else printWords(tool, subject);
    return exitSuccess;
}

}  // namespace vistello::tools
