// The help texts of the tool and of each command.
#pragma once

#include <iosfwd>

struct t_cli_command;

void write_cli_help(std::ostream& out);
void write_cli_command_help(std::ostream& out, const t_cli_command& command);
