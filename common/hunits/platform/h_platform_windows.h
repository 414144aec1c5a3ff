// Windows-only parts of the support library's system calls, for other Windows files and
// for tests.
#pragma once

#include <cstddef>
#include <string>

namespace h_platform {

// The program's UTF-8 texts at the system's wide-character (UTF-16) interfaces.
std::wstring widen(const std::string& utf8);
std::string narrow(const wchar_t* wide, size_t length);
inline std::string narrow(const std::wstring& wide) {
    return narrow(wide.data(), wide.size());
}

// The version text of a file's version resource: its "FileVersion" string, or the fixed
// version numbers ("a.b.c.d") when that string is empty; empty when the file has no
// version resource. h_platform::file_version() asks this of the running executable.
std::string file_version_of(const std::string& file_name);

}  // namespace h_platform
