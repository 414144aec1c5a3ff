// The terminal on Windows: the console through its wide-character calls (UTF-8 inside),
// redirected input byte by byte.
#include <windows.h>
// clang-format off
#include <io.h>
// clang-format on

#include <algorithm>

#include "app/cli/cli_terminal_input.h"
#include "common/hunits/platform/h_platform_windows.h"

namespace {

constexpr size_t max_line_length = 4096;

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

t_terminal_read read_console_line(HANDLE console, std::string& line) {
    std::wstring wide;
    for (;;) {
        wchar_t chunk[256];
        DWORD got = 0;
        // Ctrl+C ends the read with nothing read (the stop handler runs on its own thread).
        if (!::ReadConsoleW(console, chunk, 256, &got, nullptr)) {
            return ::GetLastError() == ERROR_OPERATION_ABORTED ? t_terminal_read::interrupted
                                                               : t_terminal_read::end_of_input;
        }
        if (got == 0) {
            return t_terminal_read::interrupted;
        }
        wide.append(chunk, got);
        const auto end = wide.find(L'\n');
        if (end != std::wstring::npos) {
            wide.erase(end);
            break;
        }
        // Ctrl+Z at the start of a line is the console's end of input.
        if (!wide.empty() && wide[0] == L'\x1A') {
            return t_terminal_read::end_of_input;
        }
        if (wide.size() > 4 * max_line_length) {
            wide.resize(max_line_length);
        }
    }
    if (!wide.empty() && wide.back() == L'\r') {
        wide.pop_back();
    }
    if (!wide.empty() && wide[0] == L'\x1A') {
        return t_terminal_read::end_of_input;
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
