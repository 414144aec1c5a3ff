// Exceptions that escape an event handler of the window: their message is shown in an
// error box and the program goes on with the next event.
#pragma once

#include <exception>

// The application title: the caption of the exception box.
extern const char* const application_title;

// Shows the message of an exception that no command caught, as the error box of the log
// with the application title as caption. A stop request or an exception of another kind
// shows an empty message.
void show_exception_message(std::exception_ptr error);

// Runs an event handler; an exception that escapes it is shown and the program goes on.
template <class F>
void run_handler(F&& handler) {
    try {
        handler();
    } catch (...) {
        show_exception_message(std::current_exception());
    }
}
