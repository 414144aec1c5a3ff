#include "app/cli/cli_card_session.h"

#include <ostream>

#include "app/U_program_termination.h"
#include "app/cli/cli_card_port.h"
#include "app/cli/cli_usage_error.h"
#include "common/hunits/uhlog.h"
#include "progress/Dh_work_control.h"

namespace {

// Ctrl+C is the terminal's stop button. A command forgets earlier stop requests when it
// starts its long work, so the stop is asserted again wherever messages are processed.
class t_stop_on_signal {
  public:
    t_stop_on_signal() { set_message_processor(&assert_stop); }
    ~t_stop_on_signal() {
        set_message_processor(nullptr);
        assert_stop();
    }
    t_stop_on_signal(const t_stop_on_signal&) = delete;
    t_stop_on_signal& operator=(const t_stop_on_signal&) = delete;

  private:
    static void assert_stop() {
        if (termination_signal() != 0) {
            request_user_break();
        }
    }
};

int exit_status_of(t_card_command_result result) {
    switch (result) {
        case t_card_command_result::done:
            return cli_exit_success;
        case t_card_command_result::stopped:
            return cli_exit_stopped;
        default:
            return cli_exit_failed;
    }
}

}  // namespace

int run_cli_card_command(const t_cli_context& context, t_cli_card_view& view,
                         const t_cli_card_work& work) {
    t_cli_card_port port;
    int status = cli_exit_failed;
    if (!make_cli_card_port(context.global, port, status)) {
        return status;
    }
    t_bus_trace_backend* const trace = port.trace;
    t_card_commands commands(view, std::move(port.backend));
    commands.set_port_entry(
        card_port_entry_index(context.global.port.value_or(context.defaults.port)));
    {
        const t_stop_on_signal stop_on_signal;
        status = exit_status_of(work(commands));
    }
    std::string error;
    if (trace && !trace->finish(error)) {
        hlog->dialog_error(error, "Ошибка!");
        status = std::max(status, cli_exit_failed);
    }
    return status;
}

int parse_cli_cell(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + card_max_cells) {
        return text[0] - '0';
    }
    throw e_cli_usage("Недопустимый номер ячейки: " + text + " (допустимы 0–5)");
}

t_card_command_result select_cli_cell(t_card_commands& commands, t_cli_card_view& view, int cell) {
    const t_card_command_result listed = commands.read_title();
    if (listed != t_card_command_result::done) {
        return listed;
    }
    if (cell >= static_cast<int>(commands.device_lines().size())) {
        // Only a three-cell card lists fewer lines than there are cell numbers.
        hlog->dialog_error(
            "На карте нет ячейки " + std::to_string(cell) + ": это карта на три ячейки (0–2).",
            "Ошибка!");
        return t_card_command_result::failed;
    }
    view.selected_cell = cell;
    return listed;
}

void print_device_list(const t_cli_io& io, const t_card_commands& commands) {
    for (const std::string& line : commands.device_lines()) {
        io.out << line << "\n";
    }
}
