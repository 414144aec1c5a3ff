// decode IMAGE [--daily|--hourly] [-o PATH] [--yes]: decodes a cell image file (a dump of a
// whole-cell read) and saves its data file, as the read command does after reading a cell.
#include <filesystem>
#include <fstream>
#include <ostream>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_save_path.h"
#include "app/cli/cli_terminal_dialogs.h"
#include "app/cli/cli_usage_error.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhlog.h"
#include "device/U_kalden_common.h"

namespace {

namespace fs = std::filesystem;

const std::string error_caption = "Ошибка!";

// The 32768 bytes of a cell image file; false with a message when the file is missing, not a
// regular file or of another size (nothing is read then).
bool read_cell_image(const std::string& path, std::vector<uint8_t>& image, std::string& error) {
    const fs::path file = cli_path_from_utf8(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) {
        error = "Файл образа ячейки не найден: " + path;
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "Образ ячейки должен быть файлом, а не каталогом или устройством: " + path;
        return false;
    }
    const uintmax_t size = fs::file_size(file, ec);
    if (!ec && size != cell_image_size) {
        error = "Размер образа ячейки должен быть " + std::to_string(cell_image_size) +
                " байт, а файл " + path + " имеет размер " + std::to_string(size) + " байт";
        return false;
    }
    image.assign(cell_image_size, 0);
    std::ifstream in(file, std::ios::binary);
    if (ec || !in.read(reinterpret_cast<char*>(image.data()), cell_image_size)) {
        error = "Ошибка открытия файла: " + path;
        return false;
    }
    return true;
}

bool decode_image(const std::vector<uint8_t>& image, bool daily, t_zor73_process& archive) {
    try {
        archive.decode_cell(image, daily);
        return true;
    } catch (const std::exception& e) {
        hlog->add_str_to_log("e", e.what(), 1);
    } catch (...) {
    }
    hlog->dialog_error(
        "При декодеровке данных, полученных с карты, произошла ошибка, возможно, данные не "
        "корректны!",
        error_caption);
    return false;
}

// The file to write, or an empty text (after a message) when the data folder cannot be made.
std::string output_path(const t_cli_parsed_args& parsed, const t_cli_context& c,
                        const t_zor73_process& archive) {
    if (parsed.has("-o")) {
        const std::string out = parsed.value("-o");
        return cli_is_folder(out) ? make_file_name(archive, out) : out;
    }
    std::string folder;
    if (!cli_default_data_folder(c.defaults.data_dir, folder)) {
        return {};
    }
    if (!check_dir(folder, true)) {
        hlog->dialog_error("Ошибка создания каталога: " + folder, error_caption);
        return {};
    }
    return make_file_name(archive, folder);
}

int run_decode(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(
        c.args, {{"--daily", false}, {"--hourly", false}, {"-o", true}, {"--yes", false}});
    require_operands(parsed, 1, "Не указан файл образа ячейки");
    if (parsed.has("--daily") && parsed.has("--hourly")) {
        throw e_cli_usage("Параметры --daily и --hourly исключают друг друга");
    }
    if (parsed.has("-o") && parsed.value("-o").empty()) {
        throw e_cli_usage("Параметр -o: не указан путь");
    }
    const bool daily = parsed.has("--daily") || (!parsed.has("--hourly") && c.defaults.daily);
    c.dialogs.set_assume_yes(parsed.has("--yes"));

    const std::string& image_path = parsed.operands[0];
    std::vector<uint8_t> image;
    std::string error;
    if (!read_cell_image(image_path, image, error)) {
        hlog->dialog_error(error, error_caption);
        return cli_exit_usage;
    }
    t_zor73_process archive;
    if (!decode_image(image, daily, archive)) {
        return cli_exit_failed;
    }
    if (archive.header.device_number == 0xFFFF) {
        hlog->dialog_warning(
            "Считанный номер ПУ 65535. Возможно, при считывании произошла ошибка( не "
            "подключен/неисправен кабель, карта и т.п.).\nРекомендуется пересканировать порты и "
            "повторить считывание!",
            "Предупреждение!");
    }
    const std::string path = output_path(parsed, c, archive);
    if (path.empty() || !cli_may_write(path)) {
        return cli_exit_failed;
    }
    if (!archive.save_to_file(path)) {
        hlog->dialog_error("Ошибка сохранения файла: " + path, error_caption);
        return cli_exit_failed;
    }
    c.io.out << path << "\n";
    return cli_exit_success;
}

}  // namespace

const t_cli_command cli_decode_command{
    "decode",
    "decode IMAGE [--daily|--hourly] [-o PATH] [--yes]",
    "декодировать образ ячейки (32768 байт) и сохранить файл данных",
    "IMAGE      образ ячейки карты, например файл дампа считывания ячейки\n"
    "--daily    перевести данные в суточные (по умолчанию — как в настройках)\n"
    "--hourly   оставить часовые данные\n"
    "-o PATH    каталог (имя файла составляется по времени, номеру ПУ и виду архива)\n"
    "           или имя файла; по умолчанию — каталог файлов данных\n"
    "--yes      заменять существующий файл без вопроса\n"
    "Путь сохранённого файла выводится в стандартный вывод.\n",
    &run_decode,
};
