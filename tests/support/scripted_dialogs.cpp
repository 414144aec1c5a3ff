#include "support/scripted_dialogs.h"

bool t_scripted_dialogs::show_dialog(t_dialog_kind kind, const std::string& text,
                                     const std::string& caption) {
    shown.push_back({kind, text, caption});
    if (kind != t_dialog_kind::yes_no) {
        return true;
    }
    if (answers.empty()) {
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}
