// std::filesystem paths from and to the program's UTF-8 texts. A path built from a plain
// std::string would take it in the system's ANSI code page on Windows.
#pragma once

#include <filesystem>
#include <string>

inline std::filesystem::path path_from_utf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8_from_path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
