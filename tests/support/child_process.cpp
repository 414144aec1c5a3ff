#include "support/child_process.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

int run_in_child(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 255;
        try {
            status = body();
        } catch (...) {
        }
        ::_exit(status);
    }
    if (pid < 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run_in_child_with_file_size_limit(uint64_t max_file_size, const std::function<int()>& body) {
    return run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{max_file_size, max_file_size};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 254;
        }
        return body();
    });
}
