#include "app/enclosed_name.h"

namespace vistello {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Windows drops trailing dots and spaces from a path component, so ". ." or ".. " would reach
// the file system as "." or "..".
bool namesFolderOrParent(std::string_view component) {
    if (component.empty()) return false;
    for (const char c : component) {
        if (c != '.' && c != ' ') return false;
    }
    return true;
}

}  // namespace

bool isSafeEnclosedName(std::string_view name) {
    if (name.empty() || isSeparator(name.front())) return false;
    if (name.find(':') != std::string_view::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !isSeparator(name[end])) ++end;
        if (namesFolderOrParent(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace vistello
