// list: reads the card directory on the chosen port and prints one line per cell.
#include "app/cli/cli_card_session.h"
#include "app/cli/cli_options.h"

namespace {

int run_list(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(c.args, {});
    require_operands(parsed, 0, "");
    t_cli_card_view view(c.io);
    return run_cli_card_command(c, view, [&c](t_card_commands& commands) {
        const t_card_command_result result = commands.read_title();
        print_device_list(c.io, commands);
        return result;
    });
}

}  // namespace

const t_cli_command cli_list_command{
    "list",
    "list",
    "считать список ПУ с карты на выбранном порту",
    "Порт — --port, иначе найденный командой scan (из настроек), иначе 0x378.\n"
    "Список выводится по строке на ячейку: \"-\" — пусто, \"0001234 (2T4V)\" — номер и\n"
    "версия ПУ, \"Удалено\" — ячейка удалена.\n",
    &run_list,
};
