// Windows parts of the program start-up.
#include <windows.h>
// clang-format off
#include <io.h>
// clang-format on

#include <atomic>
#include <csignal>

#include "app/platform/app_platform.h"

namespace h_app_platform {

namespace {

std::atomic<void (*)(int)> stop_handler{nullptr};

// Runs on a thread of its own that the system starts for the console event.
BOOL WINAPI on_console_event(DWORD event) {
    void (*handler)(int) = stop_handler.load();
    if (handler == nullptr) {
        return FALSE;
    }
    switch (event) {
        case CTRL_C_EVENT:
            handler(SIGINT);
            return TRUE;
        case CTRL_BREAK_EVENT:
            handler(SIGTERM);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

std::string default_system_root() {
    return "c:\\h_system";
}

void install_stop_handlers(void (*on_stop)(int)) {
    stop_handler.store(on_stop);
    ::SetConsoleCtrlHandler(&on_console_event, TRUE);
}

void write_wakeup_byte(int fd) {
    const char byte = 1;
    ::_write(fd, &byte, 1);
}

}  // namespace h_app_platform
