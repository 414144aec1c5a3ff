#include "app/cli/cli_card_port.h"

#include "app/cli/cli_main.h"
#include "common/hunits/uhlog.h"

bool make_cli_card_port(const t_cli_global_options& options, t_cli_card_port& port, int& status) {
    t_chosen_port_backend made = make_chosen_port_backend(options.port_choice);
    if (!made.backend) {
        hlog->dialog_error(made.error, "Ошибка!");
        status = made.bad_card_file ? cli_exit_usage : cli_exit_failed;
        return false;
    }
    hlog->add_str_to_log("i", "Доступ к порту: " + made.description, 1);
    if (options.bus_trace_file.empty()) {
        port.backend = std::move(made.backend);
        return true;
    }
    std::string error;
    std::unique_ptr<t_bus_trace_backend> trace =
        make_bus_trace(std::move(made.backend), options.bus_trace_file, error);
    if (!trace) {
        hlog->dialog_error(error, "Ошибка!");
        status = cli_exit_failed;
        return false;
    }
    port.trace = trace.get();
    port.backend = std::move(trace);
    return true;
}
