#include "app/U_port_choice.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "app/U_program_start.h"
#include "card/port_addresses.h"
#include "card/port_backends.h"
#include "card/simulator/demo_card.h"
#include "common/hunits/h_path.h"
#include "common/hunits/uhFuncs.h"
#include "common/hunits/uhlog.h"
#include "device/durable_file.h"

namespace {

template <typename T>
bool parse_number(const std::string& text, T& value, int base = 10) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return !text.empty() && ec == std::errc() && ptr == end;
}

const char* const window_usage_text =
    "\n\nПараметры программы:\n"
    "--simulate[=ФАЙЛ_КАРТЫ]: имитатор считывателя\n"
    "--sim-port=АДРЕС: порт имитатора\n"
    "--sim-noise=P, --sim-seed=N: помехи\n"
    "-SHOW_COMPARE1: вкладка \"Сравнение\"";

bool parse_probability(const std::string& text, double& p) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, p);
    return !text.empty() && ec == std::errc() && ptr == end && p >= 0.0 && p <= 1.0;
}

}  // namespace

bool is_command_line_option(const std::string& arg, const std::string& name) {
    return arg == name || (arg.starts_with(name) && arg[name.size()] == '=');
}

std::string command_line_option_value(const std::vector<std::string>& args, size_t& i,
                                      const std::string& name) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        return arg.substr(name.size() + 1);
    }
    if (i + 1 >= args.size()) {
        throw e_command_line_option("Для параметра " + name + " не указано значение");
    }
    return args[++i];
}

std::string port_list_text() {
    std::string text;
    for (uint32_t port : card_port_addresses) {
        text += (text.empty() ? "" : ", ") + format_str("0x%X", port);
    }
    return text;
}

uint32_t parse_port_address_option(const std::string& option, const std::string& text) {
    uint32_t port = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const bool parsed = hex ? parse_number(text.substr(2), port, 16) : parse_number(text, port);
    if (!parsed || !is_card_port_address(port)) {
        throw e_command_line_option("Недопустимый адрес порта в " + option + ": " + text +
                                    " (допустимы " + port_list_text() + ")");
    }
    return port;
}

bool parse_port_choice_option(const std::vector<std::string>& args, size_t& i,
                              t_port_choice& choice) {
    const std::string& arg = args[i];
    if (arg == "--simulate") {
        choice.simulate = true;
    } else if (arg.starts_with("--simulate=")) {
        choice.simulate = true;
        choice.card_file = arg.substr(std::string("--simulate=").size());
    } else if (is_command_line_option(arg, "--sim-port")) {
        choice.sim_port = parse_port_address_option(
            "--sim-port", command_line_option_value(args, i, "--sim-port"));
    } else if (is_command_line_option(arg, "--sim-noise")) {
        const std::string text = command_line_option_value(args, i, "--sim-noise");
        if (!parse_probability(text, choice.sim_noise)) {
            throw e_command_line_option("--sim-noise: нужна вероятность от 0 до 1: " + text);
        }
    } else if (is_command_line_option(arg, "--sim-seed")) {
        const std::string text = command_line_option_value(args, i, "--sim-seed");
        uint64_t seed = 0;
        if (!parse_number(text, seed)) {
            throw e_command_line_option("--sim-seed: нужно целое неотрицательное число: " + text);
        }
        choice.sim_seed = seed;
    } else {
        return false;
    }
    return true;
}

bool parse_port_choice(const std::vector<std::string>& args, t_port_choice& choice,
                       std::string& error) {
    try {
        for (size_t i = 1; i < args.size(); ++i) {
            parse_port_choice_option(args, i, choice);
        }
    } catch (const e_command_line_option& e) {
        error = e.what();
        return false;
    }
    return true;
}

std::string demo_card_path() {
    return program_data_dir() + "demo.card";
}

bool write_demo_card(const std::string& path, int cells, uint64_t seed, std::string& error) {
    const std::vector<uint8_t> image = make_demo_card_image(cells, seed);
    if (!write_file_durably(path, image.data(), image.size())) {
        error = "Ошибка сохранения файла: " + path;
        return false;
    }
    return true;
}

bool ensure_demo_card(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::exists(path_from_utf8(path), ec)) {
        return true;
    }
    return write_demo_card(path, demo_card_cells, demo_card_seed, error);
}

t_chosen_port_backend make_chosen_port_backend(const t_port_choice& choice) {
    t_chosen_port_backend made;
    if (!choice.simulate) {
        const t_port_backend_kind kind = native_port_backend_kind();
        std::string error;
        made.backend = make_port_backend(kind, {}, error);
        if (!made.backend) {
            made.error = "Невозможно активировать драйвер устройства:\n" + error;
        }
        made.description = std::string("порт компьютера (") + port_backend_name(kind) + ")";
        return made;
    }
    t_port_backend_options options;
    t_sim_config& config = options.simulator;
    config.card_file = choice.card_file;
    config.reader_port = choice.sim_port;
    config.noise = choice.sim_noise;
    config.seed = choice.sim_seed.value_or(0);
    if (config.card_file.empty()) {
        config.card_file = demo_card_path();
        if (!ensure_demo_card(config.card_file, made.error)) {
            return made;
        }
    }
    made.backend = make_port_backend(t_port_backend_kind::simulator, options, made.error);
    made.bad_card_file = !made.backend;
    made.description = format_str("имитатор считывателя карт на порту 0x%X, карта ",
                                  static_cast<unsigned>(config.reader_port)) +
                       config.card_file;
    if (config.noise > 0) {
        made.description += format_str(", шум %g", config.noise);
    }
    return made;
}

std::unique_ptr<t_port_backend> choose_window_port_backend(const std::vector<std::string>& args,
                                                           int& exit_status) {
    t_port_choice choice;
    std::string error;
    if (!parse_port_choice(args, choice, error)) {
        hlog->dialog_error(error + window_usage_text, "Ошибка!");
        exit_status = 2;
        return nullptr;
    }
    t_chosen_port_backend made = make_chosen_port_backend(choice);
    if (!made.backend) {
        hlog->dialog_error(made.error, "Ошибка!");
        exit_status = made.bad_card_file ? 2 : 1;
        return nullptr;
    }
    hlog->add_str_to_log("i", "Доступ к порту: " + made.description, 1);
    exit_status = 0;
    return std::move(made.backend);
}
