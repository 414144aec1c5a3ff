// POSIX (Linux) parts of the program start-up.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/platform/app_platform.h"

namespace h_app_platform {

namespace {

std::string home_dir() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

std::string default_system_root() {
    // The data-folder convention: a relative $XDG_DATA_HOME is to be ignored.
    const char* data_home = std::getenv("XDG_DATA_HOME");
    if (data_home != nullptr && data_home[0] == '/') {
        return std::string(data_home) + "/h_system";
    }
    return home_dir() + "/.local/share/h_system";
}

}  // namespace h_app_platform
