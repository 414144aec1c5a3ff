// The tool's entry: command line, start-up, global options, the command, exit status.
#include "app/cli/cli_main.h"

#include <algorithm>
#include <iostream>

#include "app/U_program_start.h"
#include "app/U_program_termination.h"
#include "app/cli/cli_commands.h"
#include "app/cli/cli_help.h"
#include "app/cli/cli_terminal_dialogs.h"
#include "app/cli/cli_terminal_input.h"
#include "app/cli/cli_usage_error.h"
#include "common/hunits/uhFuncs.h"
#include "progress/Dh_work_control.h"

namespace {

// Installs the terminal's message boxes for one run and puts the previous ones back.
class t_dialogs_installed {
  public:
    explicit t_dialogs_installed(t_dialog_presenter& presenter) : previous_(dialog_presenter()) {
        set_dialog_presenter(&presenter);
    }
    ~t_dialogs_installed() { set_dialog_presenter(previous_); }
    t_dialogs_installed(const t_dialogs_installed&) = delete;
    t_dialogs_installed& operator=(const t_dialogs_installed&) = delete;

  private:
    t_dialog_presenter* previous_;
};

void store_command_line(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const std::string& arg : argv) {
        pointers.push_back(const_cast<char*>(arg.c_str()));
    }
    pointers.push_back(nullptr);
    ::set_command_line(static_cast<int>(argv.size()), pointers.data());
}

bool asks_for_help(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        if (arg == "--help" || arg == "-h") {
            return true;
        }
    }
    return false;
}

int run_command_line(const std::vector<std::string>& argv, const t_cli_io& io,
                     t_cli_terminal_dialogs& dialogs) {
    t_cli_global_options global;
    const size_t command_at = parse_cli_global_options(argv, 1, global);
    if (global.version) {
        io.out << "h_trelmo-cli, " << get_version_str() << "\n";
        return cli_exit_success;
    }
    if (command_at == argv.size()) {
        if (global.help) {
            write_cli_help(io.out);
            return cli_exit_success;
        }
        throw e_cli_usage("Не указана команда");
    }
    const std::string& name = argv[command_at];
    if (name == "help") {  // "help" and "help COMMAND"
        const t_cli_command* command =
            command_at + 1 < argv.size() ? find_cli_command(argv[command_at + 1]) : nullptr;
        if (command_at + 1 < argv.size() && command == nullptr) {
            throw e_cli_usage("Неизвестная команда: " + argv[command_at + 1]);
        }
        command ? write_cli_command_help(io.out, *command) : write_cli_help(io.out);
        return cli_exit_success;
    }
    const t_cli_command* command = find_cli_command(name);
    if (command == nullptr) {
        throw e_cli_usage("Неизвестная команда: " + name);
    }
    const std::vector<std::string> args(argv.begin() + static_cast<std::ptrdiff_t>(command_at) + 1,
                                        argv.end());
    if (global.help || asks_for_help(args)) {
        write_cli_command_help(io.out, *command);
        return cli_exit_success;
    }
    const t_cli_defaults defaults = read_cli_defaults();
    t_cli_context context{args, global, defaults, io, dialogs};
    return command->run(context);
}

}  // namespace

int cli_run(const std::vector<std::string>& argv, const t_cli_io& io, t_hlog& log) {
    t_cli_terminal_dialogs dialogs(io);
    const t_dialogs_installed installed(dialogs);
    store_command_line(argv);
    start_program(log);
    enable_work();
    int status = cli_exit_failed;
    try {
        status = run_command_line(argv, io, dialogs);
    } catch (const e_cli_usage& e) {
        log.dialog_error(std::string(e.what()) + "\nСправка: h_trelmo-cli --help", "Ошибка!");
        status = cli_exit_usage;
    } catch (const e_user_break&) {
        log.dialog_info("Прервано пользователем!", "Информация!");
        status = cli_exit_stopped;
    } catch (const std::exception& e) {
        log.dialog_error(e.what(), "Ошибка!");
        status = cli_exit_failed;
    }
    io.out.flush();
    if (!io.out) {
        log.dialog_error("Ошибка вывода данных: стандартный вывод недоступен для записи",
                         "Ошибка!");
        status = std::max(status, cli_exit_failed);
    }
    if (!work_enabled && status != cli_exit_stopped) {
        status = cli_exit_stopped;  // Ctrl+C came while the command finished its work
    }
    log.add_str_to_log("i", "Код завершения: " + std::to_string(status), 1);
    if (log.is_file_opened()) {
        log.flush_log_buffer();
    }
    return status;
}

int cli_run_process(int argc, char** argv) {
    install_termination_handlers();
    const t_cli_io io{std::cout, std::cerr, 0, is_terminal(0), is_terminal(1), is_terminal(2)};
    return cli_run(std::vector<std::string>(argv, argv + argc), io, program_log());
}
