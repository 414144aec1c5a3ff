// scan: finds the card on the ports of the list, prints its device list and stores the port
// for the following commands.
#include "app/cli/cli_card_session.h"
#include "app/cli/cli_options.h"

namespace {

int run_scan(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(c.args, {});
    require_operands(parsed, 0, "");
    t_cli_card_view view(c.io);
    return run_cli_card_command(c, view, [&c](t_card_commands& commands) {
        const t_card_command_result result = commands.scan_for_card();
        if (result == t_card_command_result::done) {
            store_cli_port(commands.get_port_address());
            print_device_list(c.io, commands);
        }
        return result;
    });
}

}  // namespace

const t_cli_command cli_scan_command{
    "scan",
    "scan",
    "найти карту на портах 0x378, 0x278, 0x3BC, 0x9800 и вывести список ПУ",
    "Порты перебираются по порядку до первого, на котором найдена карта с данными.\n"
    "Найденный порт запоминается в настройках и используется следующими командами.\n"
    "Список выводится по строке на ячейку: \"-\" — пусто, \"0001234 (2T4V)\" — номер и\n"
    "версия ПУ, \"Удалено\" — ячейка удалена.\n",
    &run_scan,
};
