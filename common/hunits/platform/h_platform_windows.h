// Windows-only parts of the support library's system calls that tests reach directly.
#pragma once

#include <string>

namespace h_platform {

// The version text of a file's version resource: its "FileVersion" string, or the fixed
// version numbers ("a.b.c.d") when that string is empty; empty when the file has no
// version resource. h_platform::file_version() asks this of the running executable.
std::string file_version_of(const std::string& file_name);

}  // namespace h_platform
