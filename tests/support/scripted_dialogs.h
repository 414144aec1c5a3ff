// A message box presenter for tests: records every box and answers yes/no questions from
// a script ("no" when the script has run out). Free of any test framework, so that both
// the GoogleTest and the Qt Test programs use it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/hunits/uhlog.h"

class t_scripted_dialogs : public t_dialog_presenter {
  public:
    struct t_shown {
        t_dialog_kind kind;
        std::string text;
        std::string caption;
    };
    bool show_dialog(t_dialog_kind kind, const std::string& text,
                     const std::string& caption) override;
    // Answers for the coming yes/no questions, in order.
    std::deque<bool> answers;
    std::vector<t_shown> shown;
};
