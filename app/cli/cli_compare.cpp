// compare FILE1 FILE2: the comparison report of two data files, line by line.
#include <ostream>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_options.h"
#include "common/hunits/uhlog.h"
#include "device/data_file_compare.h"

namespace {

int run_compare(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(c.args, {});
    require_operands(parsed, 2, "Нужны два файла данных для сравнения");
    const std::string& file1 = parsed.operands[0];
    const std::string& file2 = parsed.operands[1];
    const t_compare_result result = compare_data_files(file1, file2);
    if (result.unloadable_file != 0) {
        hlog->dialog_error(
            "Ошибка загрузки файла: " + (result.unloadable_file == 1 ? file1 : file2), "Ошибка!");
        return cli_exit_usage;
    }
    for (const t_compare_line& line : result.lines) {
        const bool red = line.colour == t_compare_colour::red && c.io.colour;
        c.io.out << (red ? "\x1b[31m" : "") << line.text << (red ? "\x1b[0m" : "") << "\n";
    }
    return compare_found_differences(result) ? cli_exit_failed : cli_exit_success;
}

}  // namespace

const t_cli_command cli_compare_command{
    "compare",
    "compare FILE1 FILE2",
    "сравнить два файла данных: заголовки, число записей и записи",
    "Выводит строки отчёта сравнения. Код завершения 1, если найдены различия.\n",
    &run_compare,
};
