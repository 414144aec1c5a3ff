// The cooperative stop: the flag, the stop test and delay_with_messages on the virtual
// clock, with a scripted message processor standing in for the window.
#include <gtest/gtest.h>

#include <exception>
#include <type_traits>

#include "progress/Dh_work_control.h"
#include "support/test_env.h"

// A handler for ordinary failures must not swallow a stop.
static_assert(!std::is_base_of_v<std::exception, e_user_break>);

namespace {

class work_control : public t_test_env {
  protected:
    work_control() {
        enable_work();
        set_message_processor([this] {
            ++message_rounds;
            if (message_rounds == stop_at_round) {
                request_user_break();
            }
        });
    }
    ~work_control() override { set_message_processor({}); }

    int message_rounds = 0;
    int stop_at_round = 0;  // 0: the user never presses stop
};

TEST_F(work_control, stop_request_is_kept_until_work_is_enabled_again) {
    test_user_break();
    request_user_break();
    EXPECT_THROW(test_user_break(), e_user_break);
    EXPECT_THROW(delay_with_messages(0), e_user_break);
    enable_work();
    EXPECT_NO_THROW(test_user_break());
    request_user_break();
    try {
        test_user_break();
        ADD_FAILURE() << "no e_user_break";
    } catch (const e_user_break& e) {
        EXPECT_EQ(e.text(), "");
    }
}

TEST_F(work_control, zero_delay_processes_messages_once_and_does_not_wait) {
    delay_with_messages(0);
    EXPECT_EQ(message_rounds, 1);
    EXPECT_EQ(clock.total_slept_ms(), 0u);
}

TEST_F(work_control, stop_pressed_while_messages_are_processed_raises_at_once) {
    stop_at_round = 1;
    EXPECT_THROW(delay_with_messages(0), e_user_break);
    EXPECT_FALSE(work_enabled);
}

struct delay_case {
    uint32_t start_tick;
    uint32_t ms;
    uint64_t slept_ms;  // in 10 ms rounds until `ms` ticks have passed
    int message_rounds;
};

class delay_with_messages_wait : public work_control,
                                 public ::testing::WithParamInterface<delay_case> {};

TEST_P(delay_with_messages_wait, sleeps_in_10_ms_rounds_processing_messages) {
    const delay_case c = GetParam();
    clock.set_tick_count(c.start_tick);
    delay_with_messages(c.ms);
    EXPECT_EQ(clock.total_slept_ms(), c.slept_ms);
    EXPECT_EQ(message_rounds, c.message_rounds);
}

INSTANTIATE_TEST_SUITE_P(
    cases, delay_with_messages_wait,
    ::testing::Values(delay_case{1000, 1, 10, 2}, delay_case{1000, 10, 10, 2},
                      delay_case{1000, 25, 30, 4},
                      // The tick count wraps during the wait: the unsigned difference holds.
                      delay_case{0xFFFFFFF0u, 30, 30, 4}));

TEST_F(work_control, stop_during_a_wait_raises_at_the_next_round) {
    stop_at_round = 2;  // pressed during the first 10 ms sleep's message round
    EXPECT_THROW(delay_with_messages(50), e_user_break);
    EXPECT_EQ(clock.total_slept_ms(), 10u);
}

TEST_F(work_control, stop_in_the_last_round_is_seen_by_the_next_check) {
    stop_at_round = 2;  // the wait is over after this round: no test follows inside it
    EXPECT_NO_THROW(delay_with_messages(10));
    EXPECT_THROW(delay_with_messages(0), e_user_break);
}

}  // namespace
