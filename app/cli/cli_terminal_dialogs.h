// The terminal's message boxes: messages go to the error stream; a yes/no question is
// asked on the terminal and answered "no" without a terminal, at end of input or when
// Ctrl+C interrupts it; with --yes it is answered "yes" without asking.
#pragma once

#include "app/cli/cli_main.h"
#include "common/hunits/uhlog.h"

class t_cli_terminal_dialogs : public t_dialog_presenter {
  public:
    explicit t_cli_terminal_dialogs(const t_cli_io& io) : io_(io) {}

    bool show_dialog(t_dialog_kind kind, const std::string& text,
                     const std::string& caption) override;
    // --yes: questions are answered "yes".
    void set_assume_yes(bool yes) { assume_yes_ = yes; }

  private:
    bool ask(const std::string& text, const std::string& caption);

    const t_cli_io& io_;
    bool assume_yes_ = false;
};
