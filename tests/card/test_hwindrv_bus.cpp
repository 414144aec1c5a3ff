// The two-wire bus as port requests: request counts, line values, waits, read_array.
#include <gtest/gtest.h>

#include <functional>

#include "card/U_wincard_work.h"
#include "card_test_env.h"

namespace {

class hwindrv_bus : public t_card_test_env {
  protected:
    hwindrv_bus() : drv(make_recorded_drv()) {}

    std::string decoded() const { return decode_bus(recorder->events, clock.total_slept_ms()); }

    std::unique_ptr<t_hwindrv> drv;
};

struct count_case {
    const char* name;
    std::function<void(t_hwindrv&)> action;
    uint64_t writes;
    uint64_t reads;
};

class hwindrv_bus_counts : public hwindrv_bus, public ::testing::WithParamInterface<count_case> {};

TEST_P(hwindrv_bus_counts, each_line_change_and_status_read_is_one_request) {
    const count_case& c = GetParam();
    c.action(*drv);
    EXPECT_EQ(recorder->write_count, c.writes);
    EXPECT_EQ(recorder->read_count, c.reads);
}

INSTANTIATE_TEST_SUITE_P(
    cases, hwindrv_bus_counts,
    ::testing::Values(
        // 29 requests per byte sent: 8 bits of 3 writes, an acknowledge bit of 4 and 1 read.
        count_case{"send_byte", [](t_hwindrv& d) { d.send_byte(0xA5); }, 28, 1},
        // 43 per byte received: 8 bits of 4 writes and 1 read, 3 writes to answer.
        count_case{"receive_byte_and_acknowledge",
                   [](t_hwindrv& d) {
                       d.receive_byte();
                       d.send_ack();
                   },
                   35, 8},
        count_case{"bus_start", [](t_hwindrv& d) { d.bus_start(); }, 3, 0},
        count_case{"bus_stop", [](t_hwindrv& d) { d.bus_stop(0); }, 4, 0},
        count_case{"power", [](t_hwindrv& d) { d.power(true); }, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(hwindrv_bus, bus_stop_50_writes_12_14_15_waits_then_writes_13) {
    drv->power(true);
    recorder->events.clear();
    drv->bus_stop(50);
    EXPECT_EQ(recorder->written(), (std::vector<int>{12, 14, 15, 13}));
    const auto& e = recorder->events;
    EXPECT_EQ(e[3].slept_ms - e[2].slept_ms, 50u) << "the write wait is between 15 and 13";
    EXPECT_EQ(e[2].slept_ms, e[0].slept_ms);
    EXPECT_EQ(drv->get_line_state(), 13);
}

TEST_F(hwindrv_bus, power_writes_15_or_0_and_waits_50_ms) {
    drv->power(true);
    drv->power(false);
    EXPECT_EQ(recorder->written(), (std::vector<int>{15, 0}));
    EXPECT_EQ(clock.total_slept_ms(), 100u);
}

TEST_F(hwindrv_bus, bytes_go_most_significant_bit_first_and_are_received_the_same_way) {
    drv->power(true);
    drv->send_byte(0xA5);
    // The chip answers 1,0,1,1,0,0,1,0 on the eight status reads: 0xB2.
    const int bits[] = {1, 0, 1, 1, 0, 0, 1, 0};
    recorder->status = [&](uint64_t n) -> uint8_t { return bits[(n - 1) % 8] ? 0x40 : 0x00; };
    EXPECT_EQ(drv->receive_byte(), 0xB2);
    drv->send_no_ack();
    EXPECT_EQ(decoded(), "on ~50 W:A5 R N");
}

struct read_array_case {
    const char* name;
    uint8_t slave;
    uint16_t offset;
    uint16_t count;
    std::string bus;
    std::string dump;
};

class hwindrv_read_array : public hwindrv_bus,
                           public ::testing::WithParamInterface<read_array_case> {};

TEST_P(hwindrv_read_array, addresses_the_chip_reads_and_leaves_the_card_off) {
    const read_array_case& c = GetParam();
    std::vector<uint8_t> buffer(c.count + 1, 0x11);
    EXPECT_EQ(drv->read_array(c.slave, c.offset, buffer.data(), c.count), 0);
    EXPECT_EQ(decoded(), c.bus);
    // No chip answers: every byte reads 0xFF; nothing beyond `count` is touched.
    for (int i = 0; i < c.count; ++i) {
        EXPECT_EQ(buffer[i], 0xFF);
    }
    EXPECT_EQ(buffer[c.count], 0x11);
    EXPECT_EQ(recorder->written().back(), 0);
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "[lbreak]\t" + std::string(75, '-'));
    EXPECT_EQ(lines[2], "[Считан массив:]\t" + c.dump);
    EXPECT_EQ(lines[3], "[lbreak]\t" + std::string(75, '-'));
}

INSTANTIATE_TEST_SUITE_P(
    cases, hwindrv_read_array,
    ::testing::Values(read_array_case{"offset_0x1234", 0xA4, 0x1234, 2,
                                      "off ~50 on ~50 S W:A4 W:12 W:34 S W:A5 R A R A b1 P off ~50",
                                      "count= 2 data= FF FF"},
                      // Count 0: the chip is still addressed; the lone no-acknowledge bit and the
                      // stop follow.
                      read_array_case{"count_0", 0xAE, 0x0000, 0,
                                      "off ~50 on ~50 S W:AE W:00 W:00 S W:AF b1 P off ~50",
                                      "count= 0 data="}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(hwindrv_bus, read_array_logs_slave_offset_and_count_in_hexadecimal) {
    uint8_t buffer[0x3F];
    drv->read_array(0xA8, 0x7ABC, buffer, 0x3F);
    const auto lines = log_lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1],
              "[i]\tЧтение массива, слэйв адрес: 0xA8, смещение 0x7ABC, кол-во байт: 0x3F.");
}

}  // namespace
