#include "app/cli/cli_card_port.h"

#include "app/cli/cli_demo_card.h"
#include "app/cli/cli_main.h"
#include "card/port_backends.h"
#include "common/hunits/uhlog.h"

namespace {

const char* const caption_error = "Ошибка!";

// The simulated reader; without a card file the demo card, made when it is missing.
std::unique_ptr<t_port_backend> make_simulator(const t_cli_global_options& options, int& status) {
    t_port_backend_options backend_options;
    t_sim_config& config = backend_options.simulator;
    config.card_file = options.simulate_card_file;
    config.reader_port = options.sim_port;
    config.noise = options.sim_noise;
    config.seed = options.sim_seed.value_or(0);
    std::string error;
    if (config.card_file.empty()) {
        config.card_file = cli_demo_card_path();
        if (!ensure_demo_card(config.card_file, error)) {
            hlog->dialog_error(error, caption_error);
            status = cli_exit_failed;
            return nullptr;
        }
    }
    std::unique_ptr<t_port_backend> sim =
        make_port_backend(t_port_backend_kind::simulator, backend_options, error);
    if (!sim) {
        hlog->dialog_error(error, caption_error);
        status = cli_exit_usage;
    }
    return sim;
}

std::unique_ptr<t_port_backend> make_native(int& status) {
    std::string error;
    std::unique_ptr<t_port_backend> port = make_port_backend(native_port_backend_kind(), {}, error);
    if (!port) {
        hlog->dialog_error("Невозможно активировать драйвер устройства:\n" + error, caption_error);
        status = cli_exit_failed;
    }
    return port;
}

}  // namespace

bool make_cli_card_port(const t_cli_global_options& options, t_cli_card_port& port, int& status) {
    std::unique_ptr<t_port_backend> backend =
        options.simulate ? make_simulator(options, status) : make_native(status);
    if (!backend) {
        return false;
    }
    if (options.bus_trace_file.empty()) {
        port.backend = std::move(backend);
        return true;
    }
    std::string error;
    std::unique_ptr<t_bus_trace_backend> trace =
        make_bus_trace(std::move(backend), options.bus_trace_file, error);
    if (!trace) {
        hlog->dialog_error(error, caption_error);
        status = cli_exit_failed;
        return false;
    }
    port.trace = trace.get();
    port.backend = std::move(trace);
    return true;
}
