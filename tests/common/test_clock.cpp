#include <gtest/gtest.h>

#include "common/hunits/h_clock.h"

namespace {

TEST(OleDate, KnownDaysAndTimesOfDay) {
    EXPECT_DOUBLE_EQ(to_ole_date({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(to_ole_date({1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(to_ole_date({2010, 3, 5, 6, 0, 0, 0}), 40242.25);
}

TEST(OleDate, RoundTripsToTheMillisecond) {
    const t_local_time t{2024, 2, 29, 23, 59, 59, 999};
    const t_local_time back = from_ole_date(to_ole_date(t));
    EXPECT_EQ(format_local_time(back, "yyyy.mm.dd hh:nn:ss:zzz"), "2024.02.29 23:59:59:999");
}

TEST(FormatLocalTime, PadsEveryFieldAndCopiesOtherCharacters) {
    const t_local_time t{2010, 4, 1, 9, 5, 7, 42};
    EXPECT_EQ(format_local_time(t, "yyyymmdd-hhnnsszzz"), "20100401-090507042");
    EXPECT_EQ(format_local_time(t, "YYYY.MM.DD__HH-NN-SS-ZZZ"), "2010.04.01__09-05-07-042");
}

TEST(VirtualClock, SleepAndAdvanceMoveTicksAndLocalTime) {
    t_virtual_clock clock({2010, 4, 1, 23, 59, 59, 990}, 0xFFFFFFF0u);
    clock.sleep_ms(20);
    EXPECT_EQ(clock.tick_count(), 4u);  // wrapped
    EXPECT_EQ(format_local_time(clock.now_local(), "yyyy.mm.dd hh:nn:ss:zzz"),
              "2010.04.02 00:00:00:010");
    clock.advance_us(999);
    EXPECT_EQ(clock.now_local().millisecond, 10);
    clock.advance_us(1);
    EXPECT_EQ(clock.now_local().millisecond, 11);
    EXPECT_EQ(clock.total_slept_ms(), 20u);
}

}  // namespace
