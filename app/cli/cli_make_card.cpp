// make-card FILE [--cells=3|6] [--seed=N]: writes a simulated card image with demo devices.
#include <charconv>
#include <ostream>

#include "app/U_port_choice.h"
#include "app/cli/cli_commands.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_usage_error.h"
#include "common/hunits/uhlog.h"

namespace {

int run_make_card(t_cli_context& c) {
    const t_cli_parsed_args parsed = parse_cli_args(c.args, {{"--cells", true}, {"--seed", true}});
    require_operands(parsed, 1, "Не указан файл образа карты");
    const std::string cells_text = parsed.value("--cells", std::to_string(demo_card_cells));
    if (cells_text != "3" && cells_text != "6") {
        throw e_cli_usage("--cells: карта бывает на 3 или 6 ячеек: " + cells_text);
    }
    uint64_t seed = demo_card_seed;
    if (parsed.has("--seed")) {
        const std::string text = parsed.value("--seed");
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seed);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
            throw e_cli_usage("--seed: нужно целое неотрицательное число: " + text);
        }
    }
    const std::string& path = parsed.operands[0];
    std::string error;
    if (!write_demo_card(path, std::stoi(cells_text), seed, error)) {
        hlog->dialog_error(error, "Ошибка!");
        return cli_exit_failed;
    }
    c.io.out << path << "\n";
    return cli_exit_success;
}

}  // namespace

const t_cli_command cli_make_card_command{
    "make-card",
    "make-card FILE [--cells=3|6] [--seed=N]",
    "записать образ карты для имитатора с демонстрационными ПУ",
    "FILE        файл образа (заменяется): по 32768 байт на ячейку\n"
    "--cells=N   3 или 6 ячеек (по умолчанию 6)\n"
    "--seed=N    начальное значение для данных ПУ (по умолчанию 1)\n"
    "Образ используется с --simulate=FILE.\n",
    &run_make_card,
};
