// clear [--yes]: marks every cell of the card deleted, then prints the device list.
#include "app/cli/cli_card_session.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_terminal_dialogs.h"

namespace {

int run_clear(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(c.args, {{"--yes", false}});
    require_operands(parsed, 0, "");
    c.dialogs.set_assume_yes(parsed.has("--yes"));
    t_cli_card_view view(c.io);
    return run_cli_card_command(c, view, [&c](t_card_commands& commands) {
        t_card_command_result result = commands.read_title();
        if (result == t_card_command_result::done) {
            result = commands.clear_card();
        }
        print_device_list(c.io, commands);
        return result;
    });
}

}  // namespace

const t_cli_command cli_clear_command{
    "clear",
    "clear [--yes]",
    "пометить удалёнными все ячейки карты",
    "--yes  не спрашивать подтверждения\n"
    "Без терминала и без --yes ответ на вопрос — \"нет\". Ячейки, не прошедшие проверку\n"
    "(например, отсутствующие на карте из трёх ячеек), отмечаются в протоколе; выведенный\n"
    "после очистки список показывает карту.\n",
    &run_clear,
};
