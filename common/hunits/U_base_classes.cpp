#include "common/hunits/U_base_classes.h"

std::string make_program_error_text(const std::string& function, const std::string& module,
                                    const std::string& message) {
    return "ОШИБКА В РАБОТЕ ПРОГРАММЫ:\n функция \"" + function + "\"\n модуль: \"" + module +
           "\"\nсообщение: \"" + message + "\"";
}

void raise_program_error(const std::string& function, const std::string& module,
                         const std::string& message) {
    throw Exception(make_program_error_text(function, module, message));
}
