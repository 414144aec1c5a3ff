// h_trelmo-cli: the program's card and file commands for terminals and scripts.
#pragma once

// Runs the tool as a process: arguments, terminal, signals, exit status.
int cli_run_process(int argc, char** argv);
