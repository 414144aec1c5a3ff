// The cooperative stop: a process-wide flag that the stop button (or Ctrl+C in the
// terminal) clears and that long operations test while they let the user interface
// process its pending messages.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// Raised by the stop test. Deliberately not a std::exception, so that handlers for
// ordinary failures do not swallow a stop.
class e_user_break {
  public:
    explicit e_user_break(std::string text = {}) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// True while a long operation may go on. Atomic: a signal handler may clear it.
extern std::atomic<bool> work_enabled;

void enable_work();
void request_user_break();
// Raises e_user_break when work_enabled is false.
void test_user_break();

// The message-processing seam: the window installs its event processing here, the
// terminal nothing, tests a script. An empty function restores "do nothing".
void set_message_processor(std::function<void()> processor);
// Lets the user interface process its pending messages.
void process_messages();

// Processes messages and tests for a stop; with ms > 0 keeps doing so (sleeping 10 ms
// between rounds) until ms milliseconds of the tick count have passed.
void delay_with_messages(uint32_t ms);
