#include "app/cli/cli_terminal_dialogs.h"

#include <algorithm>
#include <ostream>

#include "app/cli/cli_terminal_input.h"

namespace {

bool is_yes(std::string answer) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    answer.erase(answer.begin(), std::find_if_not(answer.begin(), answer.end(), blank));
    while (!answer.empty() && blank(answer.back())) {
        answer.pop_back();
    }
    static const char* const yes_answers[] = {"y", "Y", "yes", "Yes", "YES",
                                              "д", "Д", "да",  "Да",  "ДА"};
    return std::any_of(std::begin(yes_answers), std::end(yes_answers),
                       [&answer](const char* yes) { return answer == yes; });
}

std::string with_caption(const std::string& text, const std::string& caption) {
    return caption.empty() ? text : caption + " " + text;
}

}  // namespace

bool t_cli_terminal_dialogs::show_dialog(t_dialog_kind kind, const std::string& text,
                                         const std::string& caption) {
    if (kind == t_dialog_kind::yes_no) {
        return ask(text, caption);
    }
    io_.err << with_caption(text, caption) << std::endl;
    return true;
}

bool t_cli_terminal_dialogs::ask(const std::string& text, const std::string& caption) {
    io_.err << with_caption(text, caption) << " [д/н]: ";
    if (assume_yes_) {
        io_.err << "да (--yes)" << std::endl;
        return true;
    }
    if (!io_.interactive) {
        io_.err << "нет (нет терминала)" << std::endl;
        return false;
    }
    io_.err << std::flush;
    std::string answer;
    switch (read_terminal_line(io_.input_fd, answer)) {
        case t_terminal_read::line:
            return is_yes(answer);
        case t_terminal_read::end_of_input:
            io_.err << "нет (конец ввода)" << std::endl;
            return false;
        case t_terminal_read::interrupted:
            io_.err << "нет (прервано)" << std::endl;
            return false;
    }
    return false;
}
