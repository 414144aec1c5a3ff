#include "app/cli/cli_global_options.h"

#include <algorithm>
#include <charconv>

#include "app/cli/cli_usage_error.h"
#include "common/hunits/uhFuncs.h"

namespace {

std::string port_list_text() {
    std::string text;
    for (uint32_t port : cli_port_addresses) {
        text += (text.empty() ? "" : ", ") + format_str("0x%X", port);
    }
    return text;
}

template <typename T>
bool parse_number(const std::string& text, T& value, int base = 10) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool parse_probability(const std::string& text, double& p) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, p);
    return !text.empty() && ec == std::errc() && ptr == end && p >= 0.0 && p <= 1.0;
}

// "--name=value" or "--name value"; advances `i` past a separate value.
std::string option_value(const std::vector<std::string>& args, size_t& i, const std::string& name) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        return arg.substr(name.size() + 1);
    }
    if (i + 1 >= args.size()) {
        throw e_cli_usage("Для параметра " + name + " не указано значение");
    }
    return args[++i];
}

bool is_option(const std::string& arg, const std::string& name) {
    return arg == name || (arg.starts_with(name) && arg[name.size()] == '=');
}

}  // namespace

uint32_t parse_cli_port(const std::string& option, const std::string& text) {
    uint32_t port = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const bool parsed = hex ? parse_number(text.substr(2), port, 16) : parse_number(text, port);
    if (!parsed || std::find(std::begin(cli_port_addresses), std::end(cli_port_addresses), port) ==
                       std::end(cli_port_addresses)) {
        throw e_cli_usage("Недопустимый адрес порта в " + option + ": " + text + " (допустимы " +
                          port_list_text() + ")");
    }
    return port;
}

size_t parse_cli_global_options(const std::vector<std::string>& args, size_t first,
                                t_cli_global_options& options) {
    size_t i = first;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--simulate") {
            options.simulate = true;
        } else if (arg.starts_with("--simulate=")) {
            options.simulate = true;
            options.simulate_card_file = arg.substr(std::string("--simulate=").size());
        } else if (is_option(arg, "--sim-port")) {
            options.sim_port = parse_cli_port("--sim-port", option_value(args, i, "--sim-port"));
        } else if (is_option(arg, "--port")) {
            options.port = parse_cli_port("--port", option_value(args, i, "--port"));
        } else if (is_option(arg, "--sim-noise")) {
            const std::string text = option_value(args, i, "--sim-noise");
            if (!parse_probability(text, options.sim_noise)) {
                throw e_cli_usage("--sim-noise: нужна вероятность от 0 до 1: " + text);
            }
        } else if (is_option(arg, "--sim-seed")) {
            const std::string text = option_value(args, i, "--sim-seed");
            uint64_t seed = 0;
            if (!parse_number(text, seed)) {
                throw e_cli_usage("--sim-seed: нужно целое неотрицательное число: " + text);
            }
            options.sim_seed = seed;
        } else if (is_option(arg, "--bus-trace")) {
            options.bus_trace_file = option_value(args, i, "--bus-trace");
            if (options.bus_trace_file.empty()) {
                throw e_cli_usage("--bus-trace: не указан файл");
            }
        } else if (arg.starts_with("-") && arg.size() > 1) {
            throw e_cli_usage("Неизвестный общий параметр: " + arg);
        } else {
            break;
        }
    }
    return i;
}
