// File names are UTF-8 texts inside the program; this makes a path of one that names the
// same file on every platform (a plain std::string would be taken in the ANSI code page on
// Windows).
#pragma once

#include <filesystem>
#include <string>

inline std::filesystem::path utf8_path(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}
