// Environment of the window tests: a temporary folder for the fixed folders and the
// settings file, a virtual clock, recorded message boxes and scripted modal dialogs, so
// that no test blocks and no test touches the home folder or another test's files.
#pragma once

#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/hunits/h_clock.h"
#include "common/hunits/uhlog.h"
#include "common/hunits/uhqt_modal.h"
#include "support/scripted_dialogs.h"

class QDialog;

// Answers modal dialogs from a script: each step gets the dialog (to look at it and fill
// it in) and returns the dialog's result. A dialog with no step left is rejected and
// counted in `unexpected`.
class t_scripted_modal : public t_modal_runner {
  public:
    using t_step = std::function<int(QDialog&)>;
    int run(QDialog& dialog) override;
    std::deque<t_step> steps;
    std::vector<std::string> run_names;  // object names of the dialogs run, in order
    int unexpected = 0;
};

class t_gui_test_env {
  public:
    t_gui_test_env();
    ~t_gui_test_env();
    t_gui_test_env(const t_gui_test_env&) = delete;
    t_gui_test_env& operator=(const t_gui_test_env&) = delete;

    // temp + "/" + name.
    std::string path(const std::string& name) const;

    QTemporaryDir temp;
    std::string system_dir;  // H_SYSTEM_DIR
    std::string ini_file;    // H_TRELMO_INI
    t_virtual_clock clock;
    t_scripted_dialogs dialogs;
    t_scripted_modal modal;
};
