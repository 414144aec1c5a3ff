// A program that starts like h_trelmo, logs a few lines that stay in the log's buffer and
// then ends in the way its argument names:
//   wait       waits for a stop signal on the wake-up pipe, then returns normally
//   terminate  lets an exception escape main (std::terminate)
//   write_out  writes out the log and ends at once with _exit
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "app/U_program_start.h"
#include "app/U_program_termination.h"
#include "common/hunits/uhFuncs.h"
#include "progress/Dh_work_control.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    set_command_line(argc, argv);
    install_termination_handlers();
    int wakeup[2];
    if (::pipe(wakeup) != 0) {
        return 2;
    }
    set_termination_wakeup_fd(wakeup[1]);
    start_program();
    // Nothing but the count limit or the end of the program writes these lines out.
    program_log().set_flush_period(1000000000);
    enable_work();
    for (int i = 1; i <= 5; ++i) {
        hlog->add_str_to_log("i", "строка " + std::to_string(i), 1);
    }

    if (mode == "terminate") {
        throw std::runtime_error("escaped");
    }
    if (mode == "write_out") {
        write_out_program_log();
        ::_exit(3);
    }

    std::puts("ready");
    std::fflush(stdout);
    // The signal interrupts the read (EINTR) or, arriving before it, leaves its byte to be read.
    char byte = 0;
    bool woken = false;
    while (work_enabled) {
        woken = woken || ::read(wakeup[0], &byte, 1) == 1;
    }
    if (woken || ::read(wakeup[0], &byte, 1) == 1) {
        hlog->add_str_to_log("i", "wake-up byte", 1);
    }
    hlog->add_str_to_log("i", "stop signal " + std::to_string(termination_signal()), 1);
    return 130;
}
