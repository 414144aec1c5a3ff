#include "gui_test_env.h"

#include <QCoreApplication>
#include <QDialog>

#include "progress/Dh_work_control.h"

int t_scripted_modal::run(QDialog& dialog) {
    run_names.push_back(dialog.objectName().toStdString());
    if (steps.empty()) {
        ++unexpected;
        return QDialog::Rejected;
    }
    t_step step = std::move(steps.front());
    steps.pop_front();
    return step(dialog);
}

t_gui_test_env::t_gui_test_env() {
    system_dir = path("h_system");
    ini_file = path("h_trelmo.ini");
    qputenv("H_SYSTEM_DIR", QByteArray::fromStdString(system_dir));
    qputenv("H_TRELMO_INI", QByteArray::fromStdString(ini_file));
    set_h_clock(&clock);
    set_dialog_presenter(&dialogs);
    set_modal_runner(&modal);
    set_message_processor([] { QCoreApplication::processEvents(); });
}

t_gui_test_env::~t_gui_test_env() {
    set_message_processor({});
    set_modal_runner(nullptr);
    set_dialog_presenter(nullptr);
    set_h_clock(nullptr);
    qunsetenv("H_SYSTEM_DIR");
    qunsetenv("H_TRELMO_INI");
}

std::string t_gui_test_env::path(const std::string& name) const {
    return temp.filePath(QString::fromStdString(name)).toStdString();
}
