// Program start-up shared by the window and the command-line tool: the fixed folders,
// the settings file's place, and the run's log file.
#pragma once

#include <string>

#include "common/hunits/uhlog.h"

// The fixed root: H_SYSTEM_DIR when set; else c:\h_system\ on Windows and
// $XDG_DATA_HOME/h_system/ (default ~/.local/share/h_system/) elsewhere.
// All folder names end with the native separator.
std::string system_root_dir();
std::string program_data_dir();  // root + "h_trelmo"
std::string program_logs_dir();  // data folder + "logs"
std::string program_bin_dir();   // logs folder + "bin" (scan log files)
// The settings file: H_TRELMO_INI when set, else "h_trelmo.ini" next to the executable.
std::string settings_file_name();

// The program's one log object: a static object, so that its destructor writes out the
// waiting lines at a normal exit.
t_hlog& program_log();

// Makes the fixed folders (parents first), points hlog at the program's log, opens a new
// time-stamped log file in the logs folder (telling the user when that fails), enables all
// log groups and writes the open-log line.
void start_program();
// The same with another log object (tests).
void start_program(t_hlog& log);
