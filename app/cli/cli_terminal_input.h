// The terminal, one implementation file per platform (cli_terminal_input_posix.cpp).
#pragma once

#include <string>

bool is_terminal(int fd);

enum class t_terminal_read { line, end_of_input, interrupted };

// Reads one line (without its line end) straight from `fd`, unbuffered; a stop request
// (Ctrl+C), also one that came just before the wait, ends it as `interrupted`. Lines
// longer than a few kilobytes are cut.
t_terminal_read read_terminal_line(int fd, std::string& line);
