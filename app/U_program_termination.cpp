#include "app/U_program_termination.h"

#include <atomic>
#include <cstdlib>
#include <exception>

#include "app/U_program_start.h"
#include "app/platform/app_platform.h"
#include "progress/Dh_work_control.h"

namespace {

std::atomic<int> last_stop_signal{0};
std::atomic<int> wakeup_fd{-1};
std::terminate_handler previous_terminate_handler = nullptr;

static_assert(std::atomic<int>::is_always_lock_free, "used in signal context");
static_assert(std::atomic<bool>::is_always_lock_free, "used in signal context");

// Signal context: only lock-free atomics and write().
void on_stop_signal(int signal_number) {
    request_user_break();
    last_stop_signal.store(signal_number);
    const int fd = wakeup_fd.load();
    if (fd >= 0) {
        h_app_platform::write_wakeup_byte(fd);
    }
}

[[noreturn]] void on_terminate() {
    write_out_program_log();
    // The runtime's own handler reports the exception before it aborts.
    if (previous_terminate_handler != nullptr) {
        previous_terminate_handler();
    }
    std::abort();
}

}  // namespace

void install_termination_handlers() {
    h_app_platform::install_stop_handlers(&on_stop_signal);
    const std::terminate_handler previous = std::set_terminate(&on_terminate);
    if (previous != &on_terminate) {
        previous_terminate_handler = previous;
    }
}

int termination_signal() {
    return last_stop_signal.load();
}

void set_termination_wakeup_fd(int fd) {
    wakeup_fd.store(fd);
}

void write_out_program_log() noexcept {
    try {
        t_hlog& log = program_log();
        if (log.is_file_opened()) {
            log.flush_log_buffer();
        }
    } catch (...) {
    }
}
