#include "common/hunits/uhqt_modal.h"

#include <QDialog>

namespace {
t_modal_runner* current_runner = nullptr;
}

void set_modal_runner(t_modal_runner* runner) {
    current_runner = runner;
}

int run_modal(QDialog& dialog) {
    if (current_runner != nullptr) {
        return current_runner->run(dialog);
    }
    return dialog.exec();
}
