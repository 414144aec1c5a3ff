#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "app/U_program_termination.h"
#include "app/cli/cli_terminal_input.h"
#include "progress/Dh_work_control.h"

namespace {

constexpr size_t max_line_length = 4096;

// The read end of a pipe that gets a byte per stop signal. Waiting on it together with the
// terminal closes the gap between testing the stop flag and starting to wait: a signal
// that comes in between still wakes the wait.
int stop_wakeup_fd() {
    static const int read_end = [] {
        int fds[2];
        if (pipe(fds) != 0) {
            return -1;
        }
        for (int fd : fds) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        set_termination_wakeup_fd(fds[1]);
        return fds[0];
    }();
    return read_end;
}

void drain(int fd) {
    char buffer[64];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
}

}  // namespace

bool is_terminal(int fd) {
    return fd >= 0 && isatty(fd) == 1;
}

t_terminal_read read_terminal_line(int fd, std::string& line) {
    line.clear();
    const int wakeup = stop_wakeup_fd();
    for (;;) {
        if (!work_enabled) {
            return t_terminal_read::interrupted;
        }
        pollfd waits[2] = {{fd, POLLIN, 0}, {wakeup, POLLIN, 0}};
        if (poll(waits, wakeup >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return line.empty() ? t_terminal_read::end_of_input : t_terminal_read::line;
        }
        if (wakeup >= 0 && waits[1].revents != 0) {
            drain(wakeup);
            continue;
        }
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
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
