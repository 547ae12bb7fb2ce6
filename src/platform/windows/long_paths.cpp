#include "platform/windows/long_paths.hpp"

#include <windows.h>

#include "platform/windows/code_page.hpp"

namespace platform {

std::wstring full_path(std::string_view path) {
    const std::wstring wide = wide_from_ansi(path);
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return {};
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return {};
    full.resize(length);
    return full;
}

std::wstring long_path(std::wstring_view full) {
    if (full.starts_with(LR"(\\?\)") || full.starts_with(LR"(\\.\)")) return std::wstring(full);
    if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + std::wstring(full.substr(2));
    return LR"(\\?\)" + std::wstring(full);
}

}  // namespace platform
