#include "app/cli/cli_global_options.h"

#include "app/cli/cli_usage_error.h"

uint32_t parse_cli_port(const std::string& option, const std::string& text) {
    try {
        return parse_port_address_option(option, text);
    } catch (const e_command_line_option& e) {
        throw e_cli_usage(e.what());
    }
}

size_t parse_cli_global_options(const std::vector<std::string>& args, size_t first,
                                t_cli_global_options& options) {
    size_t i = first;
    try {
        for (; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--help" || arg == "-h") {
                options.help = true;
            } else if (arg == "--version") {
                options.version = true;
            } else if (parse_port_choice_option(args, i, options.port_choice)) {
                continue;
            } else if (is_command_line_option(arg, "--port")) {
                options.port = parse_port_address_option(
                    "--port", command_line_option_value(args, i, "--port"));
            } else if (is_command_line_option(arg, "--bus-trace")) {
                options.bus_trace_file = command_line_option_value(args, i, "--bus-trace");
                if (options.bus_trace_file.empty()) {
                    throw e_cli_usage("--bus-trace: не указан файл");
                }
            } else if (arg.starts_with("-") && arg.size() > 1) {
                throw e_cli_usage("Неизвестный общий параметр: " + arg);
            } else {
                break;
            }
        }
    } catch (const e_command_line_option& e) {
        throw e_cli_usage(e.what());
    }
    return i;
}
