// show FILE [--format=text|csv|json]: the header and records of a data file.
#include "app/cli/cli_commands.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_show_formats.h"
#include "app/cli/cli_usage_error.h"
#include "common/hunits/uhlog.h"
#include "device/U_kalden_common.h"

namespace {

int run_show(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(c.args, {{"--format", true}});
    require_operands(parsed, 1, "Не указан файл данных");
    const std::string format = parsed.value("--format", "text");
    if (format != "text" && format != "csv" && format != "json") {
        throw e_cli_usage("Неизвестный формат вывода: " + format + " (допустимы text, csv, json)");
    }
    const std::string& path = parsed.operands[0];
    t_zor73_process archive;
    if (!archive.load_from_file(path)) {
        hlog->dialog_error("Ошибка загрузки файла: " + path + "\n" + archive.get_text_result(),
                           "Ошибка!");
        return cli_exit_usage;
    }
    if (format == "csv") {
        write_archive_csv(c.io.out, archive);
    } else if (format == "json") {
        write_archive_json(c.io.out, archive, path);
    } else {
        write_archive_text(c.io.out, archive, path);
    }
    return cli_exit_success;
}

}  // namespace

const t_cli_command cli_show_command{
    "show",
    "show FILE [--format=text|csv|json]",
    "показать заголовок и записи файла данных .z7m",
    "FILE                  файл данных\n"
    "--format=text         заголовок и таблица записей (по умолчанию)\n"
    "--format=csv          строка заголовков столбцов и по строке на запись\n"
    "--format=json         поля заголовка и записи\n",
    &run_show,
};
