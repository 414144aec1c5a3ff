// Operating-system parts of the program start-up, one implementation file per platform
// (app_platform_posix.cpp; a Windows file provides the same functions).
#pragma once

#include <string>

namespace h_app_platform {

// The fixed root folder when H_SYSTEM_DIR does not name one: c:\h_system\ on Windows,
// $XDG_DATA_HOME/h_system (default ~/.local/share/h_system) here.
std::string default_system_root();

}  // namespace h_app_platform
