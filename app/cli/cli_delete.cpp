// delete CELL [--yes]: marks one cell of the card deleted, then prints the device list.
#include "app/cli/cli_card_session.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_terminal_dialogs.h"

namespace {

int run_delete(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(c.args, {{"--yes", false}});
    require_operands(parsed, 1, "Не указан номер ячейки");
    const int cell = parse_cli_cell(parsed.operands[0]);
    c.dialogs.set_assume_yes(parsed.has("--yes"));
    t_cli_card_view view(c.io);
    return run_cli_card_command(c, view, [&](t_card_commands& commands) {
        t_card_command_result result = select_cli_cell(commands, view, cell);
        if (result == t_card_command_result::done) {
            result = commands.delete_dev();
        }
        print_device_list(c.io, commands);
        return result;
    });
}

}  // namespace

const t_cli_command cli_delete_command{
    "delete",
    "delete CELL [--yes]",
    "пометить ячейку карты удалённой",
    "CELL   номер ячейки, 0–5\n"
    "--yes  не спрашивать подтверждения\n"
    "Без терминала и без --yes ответ на вопрос — \"нет\". После удаления выводится список.\n",
    &run_delete,
};
