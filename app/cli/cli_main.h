// h_trelmo-cli: the program's card and file commands for terminals and scripts.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class t_hlog;

// Exit statuses.
inline constexpr int cli_exit_success = 0;
// The operation failed or was declined; for compare: differences were found.
inline constexpr int cli_exit_failed = 1;
// A usage error, or a file that cannot be loaded.
inline constexpr int cli_exit_usage = 2;
// Stopped by the user (Ctrl+C).
inline constexpr int cli_exit_stopped = 130;

// Where a run reads and writes.
struct t_cli_io {
    std::ostream& out;  // data
    std::ostream& err;  // messages and questions
    // Answers to questions are read from here with read(2); -1: none.
    int input_fd = -1;
    // The input is a terminal: questions are asked there; otherwise they are answered "no".
    bool interactive = false;
    // `out` is a terminal: red report lines are marked in colour.
    bool colour = false;
    // `err` is a terminal: long card commands draw a progress bar there.
    bool progress = false;
};

// Runs one command line in-process: sets the command line, starts the program (fixed
// folders, the run's log file in `log`), parses the global options and runs the command.
// `argv` includes the program name. Tests call this with string streams and their own log.
int cli_run(const std::vector<std::string>& argv, const t_cli_io& io, t_hlog& log);

// Runs the tool as a process: stop signals, the terminal, the program's log, exit status.
int cli_run_process(int argc, char** argv);
