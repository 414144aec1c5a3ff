// The terminal on Windows: the console through its wide-character calls (UTF-8 inside),
// redirected input byte by byte.
#include <windows.h>
// clang-format off
#include <io.h>
// clang-format on

#include <algorithm>

#include "app/cli/cli_terminal_input.h"
#include "common/hunits/platform/h_platform_windows.h"
#include "progress/Dh_work_control.h"

namespace {

constexpr size_t max_line_length = 4096;
constexpr DWORD stop_poll_ms = 100;

HANDLE os_handle(int fd) {
    return fd >= 0 ? reinterpret_cast<HANDLE>(::_get_osfhandle(fd)) : INVALID_HANDLE_VALUE;
}

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

void add_cut(std::string& line, const std::string& more) {
    line += more.substr(0, max_line_length - std::min(line.size(), max_line_length));
}

// Waits for console input while watching the stop flag: Ctrl+C reaches the program on a
// thread of its own and may come just before the wait, or abort a read under way.
t_terminal_read read_console_line(HANDLE console, std::string& line) {
    std::wstring wide;
    for (;;) {
        if (!work_enabled) {
            return t_terminal_read::interrupted;
        }
        if (::WaitForSingleObject(console, stop_poll_ms) == WAIT_TIMEOUT) {
            continue;
        }
        wchar_t chunk[256];
        DWORD got = 0;
        if (!::ReadConsoleW(console, chunk, 256, &got, nullptr)) {
            if (::GetLastError() == ERROR_OPERATION_ABORTED) {
                continue;  // Ctrl+C: the flag is tested above
            }
            return t_terminal_read::end_of_input;
        }
        if (got == 0) {
            continue;
        }
        wide.append(chunk, got);
        // Ctrl+Z at the start of a line is the console's end of input.
        if (wide[0] == L'\x1A') {
            return t_terminal_read::end_of_input;
        }
        const auto end = wide.find(L'\n');
        if (end != std::wstring::npos) {
            wide.erase(end);
            break;
        }
        if (wide.size() > 4 * max_line_length) {
            wide.resize(max_line_length);
        }
    }
    if (!wide.empty() && wide.back() == L'\r') {
        wide.pop_back();
    }
    add_cut(line, h_platform::narrow(wide));
    return t_terminal_read::line;
}

}  // namespace

bool is_terminal(int fd) {
    return is_console(os_handle(fd));
}

t_terminal_read read_terminal_line(int fd, std::string& line) {
    line.clear();
    const HANDLE handle = os_handle(fd);
    if (is_console(handle)) {
        return read_console_line(handle, line);
    }
    if (!work_enabled) {
        return t_terminal_read::interrupted;
    }
    for (;;) {
        char c = 0;
        DWORD got = 0;
        if (!::ReadFile(handle, &c, 1, &got, nullptr) || got == 0) {
            return line.empty() ? t_terminal_read::end_of_input : t_terminal_read::line;
        }
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return t_terminal_read::line;
        }
        if (line.size() < max_line_length) {
            line += c;
        }
    }
}
