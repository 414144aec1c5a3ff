// Error text that objects carry, and the program-error report raised on misuse of a
// library interface.
#pragma once

#include <stdexcept>
#include <string>

// The general exception of the program: its only payload is the message text.
class Exception : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Base of the objects whose operations can fail in ordinary use: a failing operation
// stores one complete sentence here and returns false.
class t_h_base_class_with_text_result {
  public:
    std::string get_text_result() const { return text_result; }

  protected:
    std::string text_result;
};

// The four-line report: heading, function, module, message.
std::string make_program_error_text(const std::string& function, const std::string& module,
                                    const std::string& message);

// Raises Exception with the report. `module` is the source file as the compiler names it
// (pass __FILE__).
[[noreturn]] void raise_program_error(const std::string& function, const std::string& module,
                                      const std::string& message);
