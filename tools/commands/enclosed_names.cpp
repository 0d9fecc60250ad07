#include "commands/enclosed_names.h"

#include "app/enclosed_name.h"
#include "text/display_text.h"
#include "text/windows_names.h"

namespace vistello::tools {

bool storeEnclosedName(const std::string& path, const std::string& base, std::set<std::string>& keys,
                       StoredText& stored, std::string& problem) {
    if (!storeAuthorText(base, TextShape::oneLine, {"--enclose", ""}, stored, problem)) return false;
    const std::string shown = "--enclose " + displayUtf8(path) + ": the name '" + displayUtf8(base) + "' ";
    if (const std::string rule = windowsNameProblem(stored.cp932); !rule.empty() || !isSafeEnclosedName(stored.cp932)) {
        problem = shown + (rule.empty() ? "would leave the program's folder" : rule);
        return false;
    }
    if (!keys.insert(windowsComparisonKey(stored.cp932)).second) {
        problem = shown + "differs from another enclosed file's only in letter case (or not at all); on Windows the "
                          "second would replace the first";
        return false;
    }
    return true;
}

}  // namespace vistello::tools
