// The tool's commands. A command is one source file that defines its t_cli_command, plus
// one row in the table of cli_commands.cpp.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "app/cli/cli_global_options.h"
#include "app/cli/cli_main.h"
#include "app/cli/cli_settings.h"

class t_cli_terminal_dialogs;

// What a command gets to work with.
struct t_cli_context {
    const std::vector<std::string>& args;  // the command's own arguments
    const t_cli_global_options& global;    // the options in front of the command
    const t_cli_defaults& defaults;        // defaults from the settings
    const t_cli_io& io;                    // data goes to io.out
    t_cli_terminal_dialogs& dialogs;       // set_assume_yes() for --yes
};

struct t_cli_command {
    const char* name;
    const char* synopsis;  // "decode IMAGE [--daily|--hourly] [-o PATH] [--yes]"
    const char* summary;   // one line for the tool's help
    const char* details;   // the rest of the command's help
    // Messages go through the log's message boxes (hlog->dialog_error ...). Returns an exit
    // status; throws e_cli_usage for a command line it cannot run.
    int (*run)(t_cli_context& context);
};

extern const t_cli_command cli_scan_command;
extern const t_cli_command cli_list_command;
extern const t_cli_command cli_read_command;
extern const t_cli_command cli_delete_command;
extern const t_cli_command cli_clear_command;
extern const t_cli_command cli_decode_command;
extern const t_cli_command cli_show_command;
extern const t_cli_command cli_compare_command;
extern const t_cli_command cli_make_card_command;

std::span<const t_cli_command* const> cli_commands();
// nullptr when there is no such command.
const t_cli_command* find_cli_command(const std::string& name);
