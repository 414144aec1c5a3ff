// Running a card command from the command line: the port access of the global options,
// the card commands with the terminal as their view, the port chosen by --port (else the
// settings), Ctrl+C as the stop button, and the exit status of how the command ended.
#pragma once

#include <functional>
#include <string>

#include "app/U_card_commands.h"
#include "app/cli/cli_card_view.h"
#include "app/cli/cli_commands.h"

using t_cli_card_work = std::function<t_card_command_result(t_card_commands&)>;

// Runs `work` with the card commands on `view`; the port is switched off and closed and the
// bus trace finished whatever `work` does. Returns the exit status.
int run_cli_card_command(const t_cli_context& context, t_cli_card_view& view,
                         const t_cli_card_work& work);

// The cell number of the command line, 0-5; throws e_cli_usage otherwise.
int parse_cli_cell(const std::string& text);
// Lists the card and selects `cell` in it, as a user does before reading or deleting.
// A cell the card does not have is reported.
t_card_command_result select_cli_cell(t_card_commands& commands, t_cli_card_view& view, int cell);
// The device list lines, one per line on the data stream.
void print_device_list(const t_cli_io& io, const t_card_commands& commands);
