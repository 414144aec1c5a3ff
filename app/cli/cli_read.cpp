// read CELL [--daily|--hourly] [-o PATH] [--yes]: verified read of one cell, decoding and
// saving, as the window's "Считать" after listing the card.
#include <filesystem>
#include <ostream>

#include "app/cli/cli_card_session.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_save_path.h"
#include "app/cli/cli_terminal_dialogs.h"
#include "app/cli/cli_usage_error.h"

namespace {

// Where the file goes: -o naming a folder or a file (that file's folder is the data folder
// then), else the data folder of the settings. False after a message.
bool choose_output(const t_cli_parsed_args& parsed, const t_cli_context& c, t_cli_card_view& view) {
    if (!parsed.has("-o")) {
        return cli_default_data_folder(c.defaults.data_dir, view.data_dir);
    }
    const std::string out = parsed.value("-o");
    if (cli_is_folder(out)) {
        view.data_dir = out;
        return true;
    }
    view.output_file = out;
    const std::filesystem::path folder = cli_path_from_utf8(out).parent_path();
    const std::u8string text = folder.empty() ? u8"." : folder.u8string();
    view.data_dir.assign(text.begin(), text.end());
    return true;
}

int run_read(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(
        c.args, {{"--daily", false}, {"--hourly", false}, {"-o", true}, {"--yes", false}});
    require_operands(parsed, 1, "Не указан номер ячейки");
    const int cell = parse_cli_cell(parsed.operands[0]);
    if (parsed.has("--daily") && parsed.has("--hourly")) {
        throw e_cli_usage("Параметры --daily и --hourly исключают друг друга");
    }
    if (parsed.has("-o") && parsed.value("-o").empty()) {
        throw e_cli_usage("Параметр -o: не указан путь");
    }
    c.dialogs.set_assume_yes(parsed.has("--yes"));

    t_cli_card_view view(c.io);
    view.daily = parsed.has("--daily") || (!parsed.has("--hourly") && c.defaults.daily);
    if (!choose_output(parsed, c, view)) {
        return cli_exit_failed;
    }
    return run_cli_card_command(c, view, [&](t_card_commands& commands) {
        t_card_command_result result = select_cli_cell(commands, view, cell);
        if (result == t_card_command_result::done) {
            result = commands.read_dev();
        }
        if (result == t_card_command_result::done) {
            c.io.out << view.save_path << "\n";
        }
        return result;
    });
}

}  // namespace

const t_cli_command cli_read_command{
    "read",
    "read CELL [--daily|--hourly] [-o PATH] [--yes]",
    "считать ячейку карты дважды со сверкой, декодировать и сохранить файл данных",
    "CELL       номер ячейки, 0–5\n"
    "--daily    перевести данные в суточные (по умолчанию — как в настройках)\n"
    "--hourly   оставить часовые данные\n"
    "-o PATH    каталог (имя файла составляется по времени, номеру ПУ и виду архива)\n"
    "           или имя файла; по умолчанию — каталог файлов данных\n"
    "--yes      заменять существующий файл без вопроса\n"
    "Оба считывания ячейки сохраняются как дампы в каталоге протоколов. Путь сохранённого\n"
    "файла выводится в стандартный вывод.\n",
    &run_read,
};
