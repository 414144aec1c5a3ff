// h_trelmo: the window program.
//   h_trelmo [--simulate[=CARD_FILE]] [--sim-port=ADDR] [--sim-noise=P] [--sim-seed=N]
//            [-SHOW_COMPARE1]
#include <QApplication>

#include <exception>
#include <string>
#include <vector>

#include "app/F_main.h"
#include "app/U_port_choice.h"
#include "app/U_program_start.h"
#include "app/U_program_termination.h"
#include "app/gui_exceptions.h"
#include "app/gui_stop_signal.h"
#include "app/qt_adapters.h"
#include "common/hunits/uhFuncs.h"

int main(int argc, char** argv) {
    install_termination_handlers();
    QApplication app(argc, argv);
    t_qt_dialog_presenter presenter;
    set_dialog_presenter(&presenter);
    try {
        QApplication::setApplicationName("h_trelmo");
        QApplication::setApplicationDisplayName(application_title);
        install_russian_translations();
        install_font_substitutions();
        install_qt_message_processor();
        set_command_line(argc, argv);
        // The window makes the folders and opens the log first: a message about the options
        // is logged, and the demo card has its folder.
        Tform_main form_main(program_log());
        int exit_status = 0;
        std::unique_ptr<t_port_backend> backend =
            choose_window_port_backend(std::vector<std::string>(argv, argv + argc), exit_status);
        if (!backend) {
            return exit_status;
        }
        form_main.set_port_backend(std::move(backend));
        t_stop_signal_watcher stop_signal_watcher(form_main);
        form_main.show();
        return QApplication::exec();
    } catch (...) {
        show_exception_message(std::current_exception());
        return 0;
    }
}
