// The window's modal-dialog seam: every dialog that runs an event loop of its own (message
// boxes, file dialogs, the folder browser, the about box) is run through run_modal, so that
// tests can look at the configured dialog and answer it without blocking.
#pragma once

class QDialog;

class t_modal_runner {
  public:
    virtual ~t_modal_runner() = default;
    // Runs `dialog` modally and returns its result code (QDialog::Accepted, a button, ...).
    virtual int run(QDialog& dialog) = 0;
};

// Installs `runner` (not owned); nullptr restores QDialog::exec.
void set_modal_runner(t_modal_runner* runner);
int run_modal(QDialog& dialog);
