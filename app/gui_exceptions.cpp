#include "app/gui_exceptions.h"

#include <string>

#include "common/hunits/uhlog.h"

const char* const application_title = "Работа с картой данных zor-73";

void show_exception_message(std::exception_ptr error) {
    std::string text;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
        // e_user_break and anything else: shown with an empty message.
    }
    if (hlog != nullptr) {
        hlog->dialog_error(text, application_title);
    } else if (dialog_presenter() != nullptr) {
        dialog_presenter()->show_dialog(t_dialog_kind::error, text, application_title);
    }
}
