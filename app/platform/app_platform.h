// Operating-system parts of the program start-up, one implementation file per platform
// (app_platform_posix.cpp, app_platform_windows.cpp).
#pragma once

#include <string>

namespace h_app_platform {

// The fixed root folder when H_SYSTEM_DIR does not name one: c:\h_system\ on Windows,
// $XDG_DATA_HOME/h_system (default ~/.local/share/h_system) here.
std::string default_system_root();

// Calls `on_stop` with a signal number when the user or the system asks the process to
// end: SIGINT and SIGTERM on POSIX (a blocking call interrupted by it returns with EINTR
// instead of resuming); Ctrl+C (as SIGINT) and Ctrl+Break (as SIGTERM) in a Windows
// console. `on_stop` may run in signal context or on another thread: lock-free atomics
// and write_wakeup_byte only.
void install_stop_handlers(void (*on_stop)(int));
// Writes one byte to `fd`, async-signal-safe; errors are ignored.
void write_wakeup_byte(int fd);

}  // namespace h_app_platform
