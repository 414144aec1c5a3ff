// The simulated chips against their datasheet, driven bit by bit through the port.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "card/simulator/sim_port_backend.h"
#include "i2c_test_master.h"
#include "sim_test_card.h"
#include "support/test_env.h"

namespace {

using t_read_end = t_i2c_test_master::t_read_end;

class SimChip : public t_test_env {
  protected:
    SimChip() { make_card(3); }

    void make_card(int cells, t_sim_reader_faults faults = {}, std::vector<uint8_t> bytes = {}) {
        t_sim_card card;
        card.bytes = bytes.empty() ? pattern_image(cells) : std::move(bytes);
        auto recording = std::make_unique<t_recording_store>();
        store = recording.get();
        card.store = std::move(recording);
        port = std::make_unique<t_sim_port_backend>(std::move(card), 0x378, faults);
        std::string error;
        ASSERT_EQ(port->open(0x378, error), t_port_open_result::opened);
        bus = std::make_unique<t_i2c_test_master>(*port);
        bus->power(true);
    }
    uint8_t memory(int cell, uint32_t offset) const {
        return port->reader().image()[cell * sim_cell_size + offset];
    }
    // Addresses the chip for writing and reports whether it acknowledged, then stops.
    bool chip_answers(int cell) {
        bus->start();
        const bool ack = bus->send_byte(cell_address(cell));
        bus->stop();
        return ack;
    }

    std::unique_ptr<t_sim_port_backend> port;
    std::unique_ptr<t_i2c_test_master> bus;
    t_recording_store* store = nullptr;
};

TEST_F(SimChip, RandomReadReturnsTheBytesAtTheOffsetOfTheAddressedChip) {
    struct t_case {
        int cell;
        uint16_t offset;  // as sent; the top bit is not part of a 32 KiB address
        uint16_t address;
    };
    const t_case cases[] = {
        {0, 0x0000, 0x0000}, {1, 0x1234, 0x1234}, {2, 0x7FFF, 0x7FFF}, {0, 0x8010, 0x0010}};
    for (const t_case& c : cases) {
        SCOPED_TRACE(c.offset);
        const std::vector<uint8_t> got = bus->random_read(cell_address(c.cell), c.offset, 1);
        EXPECT_EQ(got, std::vector<uint8_t>{test_pattern(c.cell, c.address)});
        EXPECT_EQ(bus->acks(), std::vector<bool>(4, true));
    }
}

TEST_F(SimChip, SequentialReadWrapsFromTheLastByteToTheFirst) {
    EXPECT_EQ(bus->random_read(cell_address(1), 0x7FFE, 4),
              (std::vector<uint8_t>{test_pattern(1, 0x7FFE), test_pattern(1, 0x7FFF),
                                    test_pattern(1, 0), test_pattern(1, 1)}));
    // The pointer stays after the last byte sent: a current-address read goes on from there.
    EXPECT_EQ(bus->current_address_read(cell_address(1), 2),
              (std::vector<uint8_t>{test_pattern(1, 2), test_pattern(1, 3)}));
}

TEST_F(SimChip, ByteWriteIsCommittedAtTheStopAndTheWriteCycleRefusesTheAddress) {
    ASSERT_TRUE(bus->write_bytes(cell_address(2), 0x0100, {0x5A}));
    EXPECT_EQ(memory(2, 0x0100), 0x5A);
    EXPECT_EQ(memory(2, 0x0101), test_pattern(2, 0x0101));
    ASSERT_EQ(store->saves.size(), 1u);
    EXPECT_EQ(store->saves[0].offset, 2 * sim_cell_size + 0x0100);
    EXPECT_EQ(store->saves[0].data[0], 0x5A);

    // The write cycle takes 5 ms of the clock seam; meanwhile the chip does not acknowledge
    // its address, while the other chips do.
    EXPECT_FALSE(chip_answers(2));
    EXPECT_TRUE(chip_answers(1));
    clock.advance_us(4800);
    EXPECT_FALSE(chip_answers(2));
    clock.advance_us(200);
    EXPECT_TRUE(chip_answers(2));
    EXPECT_EQ(bus->random_read(cell_address(2), 0x0100, 1), std::vector<uint8_t>{0x5A});
}

TEST_F(SimChip, PageWriteRollsOverInsideItsPage) {
    // 70 bytes from offset 0x43C (page 0x400, byte 60): bytes 0..3 go to 0x43C..0x43F, the
    // next 64 wrap round the whole page once more, the last two land on 0x400 and 0x401.
    std::vector<uint8_t> data(70);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(0x80 + i);
    }
    ASSERT_TRUE(bus->write_bytes(cell_address(0), 0x043C, data));
    for (uint32_t offset = 0x400; offset < 0x440; ++offset) {
        const uint32_t in_page = offset - 0x400;
        const size_t last_sent = in_page < 2 ? in_page + 68 : in_page + 4;
        EXPECT_EQ(memory(0, offset), data[last_sent]) << offset;
    }
    EXPECT_EQ(memory(0, 0x3FF), test_pattern(0, 0x3FF));
    EXPECT_EQ(memory(0, 0x440), test_pattern(0, 0x440));
}

TEST_F(SimChip, PageWriteChangesOnlyTheBytesSent) {
    ASSERT_TRUE(bus->write_bytes(cell_address(0), 0x0210, {1, 2, 3}));
    EXPECT_EQ(memory(0, 0x020F), test_pattern(0, 0x020F));
    EXPECT_EQ(memory(0, 0x0210), 1);
    EXPECT_EQ(memory(0, 0x0212), 3);
    EXPECT_EQ(memory(0, 0x0213), test_pattern(0, 0x0213));
}

TEST_F(SimChip, WriteIsDiscardedWithoutAStopAtAByteBoundary) {
    // A repeated start instead of the stop (the dummy write of a random read).
    bus->start();
    bus->send_byte(cell_address(0));
    bus->send_byte(0x00);
    bus->send_byte(0x20);
    bus->send_byte(0x11);
    bus->start();
    bus->stop();
    // A stop in the middle of a data byte.
    bus->start();
    bus->send_byte(cell_address(0));
    bus->send_byte(0x00);
    bus->send_byte(0x21);
    bus->send_byte(0x22);
    for (int i = 0; i < 4; ++i) {
        bus->send_bit(false);
    }
    bus->stop();
    EXPECT_EQ(memory(0, 0x20), test_pattern(0, 0x20));
    EXPECT_EQ(memory(0, 0x21), test_pattern(0, 0x21));
    EXPECT_TRUE(store->saves.empty());
    EXPECT_TRUE(chip_answers(0));  // no write cycle began
}

TEST_F(SimChip, ChipsNeedBothSupplyBitsAndKeepOnlyTheirMemoryOverAPowerCycle) {
    for (uint8_t supply : {0, 4, 8}) {
        SCOPED_TRACE(supply);
        const uint8_t idle = supply | 3;  // clock and data high
        bus->write(idle);
        bus->start();
        EXPECT_FALSE(bus->send_byte(cell_address(0)));
        bus->send_byte(0x00);
        bus->send_byte(0x30);
        bus->send_byte(0x77);
        bus->write(idle & ~1);
        bus->write(idle);
        bus->start();
        EXPECT_FALSE(bus->send_byte(cell_address(0) + 1));
        EXPECT_EQ(bus->receive_byte(false), 0xFF);
    }
    EXPECT_EQ(memory(0, 0x30), test_pattern(0, 0x30));

    // A write whose stop comes only after a power cycle is lost.
    bus->power(true);
    bus->start();
    bus->send_byte(cell_address(0));
    bus->send_byte(0x00);
    bus->send_byte(0x30);
    bus->send_byte(0x77);
    bus->power(false);
    bus->power(true);
    bus->write(13);
    bus->stop();
    EXPECT_EQ(memory(0, 0x30), test_pattern(0, 0x30));

    // A chip cut off while sending forgets the read: it no longer drives the line.
    bus->start();
    bus->send_byte(cell_address(0));
    bus->send_byte(0x00);
    bus->send_byte(0x00);
    bus->start();
    bus->send_byte(cell_address(0) + 1);
    bus->receive_byte(true);
    bus->power(false);
    bus->power(true);
    bus->write(13);
    EXPECT_EQ(bus->receive_byte(true), 0xFF);
    bus->stop();
    EXPECT_EQ(bus->random_read(cell_address(0), 0x0030, 1),
              std::vector<uint8_t>{test_pattern(0, 0x30)});
}

TEST_F(SimChip, StartAndStopNeedTheDataToChangeWhileTheClockStaysHigh) {
    struct t_case {
        const char* name;
        std::vector<uint8_t> writes;
        bool condition;
    };
    // From the clock low and the data released (13).
    const t_case starts[] = {
        {"data falls, clock high", {15, 14}, true},
        {"clock rises, data falls in one write", {14}, false},
        {"clock falls, data falls in one write", {15, 12}, false},
    };
    for (const t_case& c : starts) {
        SCOPED_TRACE(c.name);
        bus->write(13);
        for (uint8_t w : c.writes) {
            bus->write(w);
        }
        EXPECT_EQ(bus->send_byte(cell_address(1)), c.condition);
        bus->stop();
    }

    // From the clock low after a data byte's acknowledge (13), the write pending.
    const t_case stops[] = {
        {"data rises, clock high", {12, 14, 15}, true},
        {"clock rises, data rises in one write", {12, 15}, false},
        {"clock falls, data rises in one write", {12, 14, 13}, false},
    };
    uint8_t value = 0x40;
    for (const t_case& c : stops) {
        SCOPED_TRACE(c.name);
        clock.advance_ms(10);
        bus->start();
        bus->send_byte(cell_address(1));
        bus->send_byte(0x00);
        bus->send_byte(0x50);
        bus->send_byte(++value);
        for (uint8_t w : c.writes) {
            bus->write(w);
        }
        EXPECT_EQ(memory(1, 0x50) == value, c.condition);
        bus->start();  // ends an unfinished write without committing it
        bus->stop();
    }
}

TEST_F(SimChip, OnlyChipsPresentOnTheCardAnswer) {
    make_card(3, t_sim_reader_faults{0.0, 0, 0x02});  // cell 1 removed as well
    for (uint8_t address : {0xA0, 0xA2, 0xA6, 0xAA, 0xAC, 0xAE, 0xB0}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(bus->random_read(address, 0, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
        EXPECT_EQ(bus->acks(), std::vector<bool>(4, false));
    }
    EXPECT_TRUE(chip_answers(0));
    EXPECT_TRUE(chip_answers(2));
}

TEST_F(SimChip, NoiseInvertsChipBitsReproduciblyForASeed) {
    auto read_noisy = [this](double noise, uint64_t seed) {
        make_card(1, t_sim_reader_faults{noise, seed, 0});
        return bus->random_read(cell_address(0), 0, 256);
    };
    std::vector<uint8_t> clean(256);
    for (uint32_t i = 0; i < clean.size(); ++i) {
        clean[i] = test_pattern(0, i);
    }
    EXPECT_EQ(read_noisy(0.0, 5), clean);

    const std::vector<uint8_t> first = read_noisy(0.02, 5);
    EXPECT_EQ(read_noisy(0.02, 5), first);
    EXPECT_NE(read_noisy(0.02, 6), first);
    int flipped = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        flipped += __builtin_popcount(first[i] ^ clean[i]);
    }
    EXPECT_GT(flipped, 10);  // about 41 of 2048 bits
    EXPECT_LT(flipped, 100);

    // Only the reading is disturbed, not the chip: every bit it sends reads inverted.
    std::vector<uint8_t> inverted = clean;
    for (uint8_t& b : inverted) {
        b = static_cast<uint8_t>(~b);
    }
    EXPECT_EQ(read_noisy(1.0, 5), inverted);
    EXPECT_EQ(port->read_status() & 0x40, 0x40);  // idle: no chip sends, nothing to invert
}

// A sequential read that acknowledges its last byte too, then clocks one more bit with the
// data line released and writes the stop as 12, 14, 15, 13. The chip goes on sending the
// byte after the last one; the stop's rising data line reaches the wire only when the chip
// releases it, that is when bit 6 of that byte is 1. Otherwise the chip keeps the bus and the
// next transaction's start and dummy write are lost.
TEST_F(SimChip, ReadEndedWithAnAcknowledgeKeepsTheChipSending) {
    struct t_case {
        uint8_t byte0;
        t_read_end end;
        bool next_read_right;
    };
    const t_case cases[] = {
        {0x01, t_read_end::ack_all_extra_bit_then_stop, false},
        {0x00, t_read_end::ack_all_extra_bit_then_stop, false},
        {0x40, t_read_end::ack_all_extra_bit_then_stop, true},
        {0xFF, t_read_end::ack_all_extra_bit_then_stop, true},
    };
    for (const t_case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte0));
        std::vector<uint8_t> bytes = pattern_image(1);
        bytes[0] = c.byte0;
        bytes[1] = 0xC3;
        make_card(1, {}, bytes);
        // The end of a whole-cell read: offset 0x7FFF is the last byte.
        bus->random_read(cell_address(0), 0x7FFE, 2, c.end);
        const std::vector<uint8_t> next = bus->random_read(cell_address(0), 0, 1);
        if (c.next_read_right) {
            EXPECT_EQ(next, std::vector<uint8_t>{c.byte0});
        } else {
            // The dummy write was lost: the read starts after byte 0, at byte 1.
            EXPECT_EQ(next, std::vector<uint8_t>{0xC3});
        }
    }
    // Not acknowledging the last byte before the stop works whatever byte 0 holds.
    for (int byte0 = 0; byte0 < 256; ++byte0) {
        std::vector<uint8_t> bytes = pattern_image(1);
        bytes[0] = static_cast<uint8_t>(byte0);
        make_card(1, {}, bytes);
        bus->random_read(cell_address(0), 0x7FFE, 2, t_read_end::no_ack_then_stop);
        ASSERT_EQ(bus->random_read(cell_address(0), 0, 1),
                  std::vector<uint8_t>{static_cast<uint8_t>(byte0)})
            << byte0;
    }
}

}  // namespace
