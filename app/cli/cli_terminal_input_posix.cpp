#include <unistd.h>

#include <cerrno>

#include "app/cli/cli_terminal_input.h"

namespace {
constexpr size_t max_line_length = 4096;
}

bool is_terminal(int fd) {
    return fd >= 0 && isatty(fd) == 1;
}

t_terminal_read read_terminal_line(int fd, std::string& line) {
    line.clear();
    for (;;) {
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            return t_terminal_read::interrupted;
        }
        if (n <= 0) {
            return line.empty() ? t_terminal_read::end_of_input : t_terminal_read::line;
        }
        if (c == '\n') {
            return t_terminal_read::line;
        }
        if (line.size() < max_line_length) {
            line += c;
        }
    }
}
