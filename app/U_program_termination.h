// Ending the program without losing the log: a stop request from the system ends the
// running command at its next stop check and the program through its normal path (whose
// static log object writes out its waiting lines); an escaping exception or
// std::terminate writes the waiting lines out before the process ends.
#pragma once

// SIGINT and SIGTERM request the user break (work_enabled := false), record the signal
// and wake the registered descriptor; std::terminate writes out the program log first.
// Call once, early in main().
void install_termination_handlers();

// The last stop signal that came (SIGINT, SIGTERM), 0 when none.
int termination_signal();

// A descriptor (e.g. the write end of a pipe the window watches) that gets one byte per
// stop signal, so that an idle event loop notices it; -1 for none.
void set_termination_wakeup_fd(int fd);

// Writes the program log's waiting lines to its file; never throws. For main() when an
// exception escapes and the process is about to end.
void write_out_program_log() noexcept;
