#include "app/cli/cli_help.h"

#include <ostream>
#include <string>

#include "app/cli/cli_commands.h"

namespace {

const char* const global_options_help =
    "Общие параметры (перед командой):\n"
    "  --simulate[=CARD_FILE]  имитатор картридера; без файла — демонстрационная карта\n"
    "  --sim-port=ADDR         порт имитатора (по умолчанию 0x378)\n"
    "  --sim-noise=P           вероятность искажения бита, от 0 до 1\n"
    "  --sim-seed=N            начальное значение генератора искажений\n"
    "  --port=ADDR             порт карты: 0x378, 0x278, 0x3BC или 0x9800\n"
    "  --bus-trace=FILE.vcd    запись линий шины в файл Value Change Dump\n"
    "  --help, -h              эта справка; КОМАНДА --help — справка по команде\n"
    "  --version               версия программы\n";

const char* const exit_status_help =
    "Коды завершения: 0 — успешно; 1 — ошибка, отказ или (compare) найдены различия;\n"
    "2 — ошибка в командной строке или файл не загружается; 130 — прервано (Ctrl+C).\n";

}  // namespace

void write_cli_help(std::ostream& out) {
    out << "h_trelmo-cli — работа с картой данных ПУ zor-73 и файлами данных .z7m\n\n"
           "Использование: h_trelmo-cli [ОБЩИЕ ПАРАМЕТРЫ] КОМАНДА [ПАРАМЕТРЫ]\n\n"
           "Команды:\n";
    for (const t_cli_command* command : cli_commands()) {
        out << "  " << command->synopsis << "\n      " << command->summary << "\n";
    }
    out << "\n" << global_options_help << "\n" << exit_status_help;
}

void write_cli_command_help(std::ostream& out, const t_cli_command& command) {
    out << "Использование: h_trelmo-cli [ОБЩИЕ ПАРАМЕТРЫ] " << command.synopsis << "\n\n"
        << command.summary << "\n\n"
        << command.details << "\n"
        << exit_status_help;
}
