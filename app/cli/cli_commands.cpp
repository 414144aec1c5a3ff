#include "app/cli/cli_commands.h"

namespace {
// In the order the tool's help lists them.
const t_cli_command* const commands[] = {
    &cli_scan_command,   &cli_list_command,    &cli_read_command,
    &cli_delete_command, &cli_clear_command,   &cli_decode_command,
    &cli_show_command,   &cli_compare_command, &cli_make_card_command,
};
}  // namespace

std::span<const t_cli_command* const> cli_commands() {
    return commands;
}

const t_cli_command* find_cli_command(const std::string& name) {
    for (const t_cli_command* command : commands) {
        if (name == command->name) {
            return command;
        }
    }
    return nullptr;
}
