#include "progress/Dh_work_control.h"

#include "common/hunits/h_clock.h"

std::atomic<bool> work_enabled{false};

namespace {
std::function<void()>& message_processor() {
    static std::function<void()> processor;
    return processor;
}
}  // namespace

void enable_work() {
    work_enabled = true;
}

void request_user_break() {
    work_enabled = false;
}

void test_user_break() {
    if (!work_enabled) {
        throw e_user_break();
    }
}

void set_message_processor(std::function<void()> processor) {
    message_processor() = std::move(processor);
}

void process_messages() {
    if (message_processor()) {
        message_processor()();
    }
}

void delay_with_messages(uint32_t ms) {
    const uint32_t start = h_clock().tick_count();
    process_messages();
    test_user_break();
    if (ms == 0) {
        return;
    }
    while (static_cast<uint32_t>(h_clock().tick_count() - start) < ms) {
        test_user_break();
        h_clock().sleep_ms(10);
        process_messages();
    }
}
