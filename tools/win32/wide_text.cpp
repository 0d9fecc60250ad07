#include "win32/wide_text.h"

namespace vistello::tools::win32 {
namespace {

constexpr std::wstring_view extendedPrefix = L"\\\\?\\";
constexpr std::wstring_view devicePrefix = L"\\\\.\\";
constexpr std::wstring_view shareExtendedPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view sharePrefix = L"\\\\";

std::wstring fullPathOf(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // the size it needs, its closing zero included
    }
}

}  // namespace

std::wstring wideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
    return wide;
}

std::string utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring extendedPath(std::string_view utf8Path) {
    const std::wstring path = wideFromUtf8(utf8Path);
    if (path.starts_with(extendedPrefix) || path.starts_with(devicePrefix)) return path;
    const std::wstring full = fullPathOf(path);
    if (full.starts_with(extendedPrefix) || full.starts_with(devicePrefix)) return full;  // NUL becomes \\.\NUL
    if (full.starts_with(sharePrefix)) return std::wstring(shareExtendedPrefix) + full.substr(sharePrefix.size());
    return std::wstring(extendedPrefix) + full;
}

std::wstring plainFullPath(std::string_view utf8Path) {
    const std::wstring full = fullPathOf(wideFromUtf8(utf8Path));
    if (full.starts_with(shareExtendedPrefix)) return std::wstring(sharePrefix) + full.substr(shareExtendedPrefix.size());
    if (full.starts_with(extendedPrefix)) return full.substr(extendedPrefix.size());
    return full;
}

std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : L"";
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' ||
                                message.back() == L'.'))
        message.pop_back();
    if (message.empty()) return "system error " + std::to_string(error);
    return utf8FromWide(message);
}

}  // namespace vistello::tools::win32
