// Whole-cell reads, delete and clear as port requests on a recording backend: what is
// read, compared, dumped, logged and left on the bus.
#include <gtest/gtest.h>

#include "app/U_program_start.h"
#include "card/U_wincard_work.h"
#include "card_test_env.h"
#include "progress/Dh_work_control.h"

namespace {

// Status reads of one whole-cell read: the acknowledge bits of the four address bytes,
// then eight per byte.
constexpr uint64_t reads_per_cell_read = 4 + 8 * 32768;

const std::string read_differs_text =
    "Данные полученные при повторном считывании отличаются от данных полученных при "
    "первичном.\nПовторите считывание.";
const std::string delete_failed_text =
    "Ошибка установки флага удаления ячейки: записанные и считанные данные не совпадают!";

std::vector<std::string> files_named(const std::string& suffix) {
    std::vector<std::string> out;
    for (const std::string& name : list_dir(program_logs_dir())) {
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            out.push_back(name);
        }
    }
    return out;
}

class hwindrv_cells : public t_card_test_env {
  protected:
    hwindrv_cells() : drv(make_recorded_drv()), buffer(32768, 0x5A) {
        drv->set_progress_bar(&progress);
        enable_work();
    }
    ~hwindrv_cells() override { set_message_processor({}); }

    // Whole-cell reads: count requests only, and let each take 1 µs as on a real port.
    void long_reads() {
        recorder->keep_events = false;
        recorder->us_per_request = 1;
    }
    // Read number `read` (from 1) gets bit 7 of byte `byte` as 0: that byte reads 0x7F.
    void spoil(int read, int byte) {
        const uint64_t index = (read - 1) * reads_per_cell_read + 4 + 8 * byte;
        recorder->status = [index](uint64_t n) -> uint8_t { return n == index ? 0x00 : 0x78; };
    }

    std::unique_ptr<t_hwindrv> drv;
    t_counting_progress progress;
    std::vector<uint8_t> buffer;
};

TEST_F(hwindrv_cells, read_cell_reads_32768_bytes_dumps_them_and_moves_the_bar_per_byte) {
    int message_rounds = 0;
    set_message_processor([&] { ++message_rounds; });
    drv->power(true);
    recorder->events.clear();
    const uint64_t slept = clock.total_slept_ms();
    EXPECT_TRUE(drv->read_cell(2, buffer.data()));
    EXPECT_TRUE(buffer == std::vector<uint8_t>(32768, 0xFF));
    EXPECT_EQ(progress.position, 32768);
    // Messages are served before byte 0, 50, ..., 32750.
    EXPECT_EQ(message_rounds, 656);
    // Four address bytes and two starts, 43 requests per byte, the lone bit and the stop.
    EXPECT_EQ(recorder->write_count + recorder->read_count, 1 + 4 * 29 + 6 + 32768 * 43 + 3 + 4);
    const std::string bus = decode_bus(recorder->events, clock.total_slept_ms());
    // The card's power is the owner's: no switching, no wait.
    EXPECT_EQ(bus.substr(0, 32), "on S W:A8 W:00 W:00 S W:A9 R A R");
    EXPECT_EQ(bus.find("off"), std::string::npos);
    // Every byte is acknowledged but the last; the lone high bit and the stop follow.
    EXPECT_EQ(bus.substr(bus.size() - 16), "R A R A R N b1 P");
    EXPECT_EQ(clock.total_slept_ms(), slept);
    EXPECT_EQ(files_named("card_readed.bin"),
              std::vector<std::string>{"2010.04.01 09-05-07-092 card_readed.bin"});
    EXPECT_TRUE(read_file_bytes(program_logs_dir() + "2010.04.01 09-05-07-092 card_readed.bin") ==
                std::string(32768, '\xFF'));
    EXPECT_TRUE(log_lines().empty());
}

struct verified_case {
    const char* name;
    int count;
    int spoiled_read;  // 0: all reads agree
    bool result;
    size_t dumps;
};

class hwindrv_read_verified : public hwindrv_cells,
                              public ::testing::WithParamInterface<verified_case> {};

TEST_P(hwindrv_read_verified, compares_each_read_with_the_one_before) {
    const verified_case& c = GetParam();
    long_reads();
    if (c.spoiled_read) {
        spoil(c.spoiled_read, 1000);
    }
    EXPECT_EQ(drv->read_cell_verified(0, buffer.data(), c.count), c.result);
    EXPECT_EQ(progress.max, c.count * 32768);
    EXPECT_EQ(progress.position, c.count * 32768);
    EXPECT_EQ(files_named("card_readed.bin").size(), c.dumps);
    EXPECT_EQ(drv->get_text_result(), c.result ? "" : read_differs_text);
    if (c.count == 0) {
        EXPECT_TRUE(buffer == std::vector<uint8_t>(32768, 0x5A));
    } else {
        // The buffer holds the last read.
        EXPECT_EQ(buffer[1000], c.spoiled_read ? 0x7F : 0xFF);
    }
}

INSTANTIATE_TEST_SUITE_P(cases, hwindrv_read_verified,
                         ::testing::Values(verified_case{"count_0", 0, 0, true, 0},
                                           verified_case{"count_1", 1, 0, true, 1},
                                           verified_case{"reads_differ", 2, 2, false, 2},
                                           verified_case{"reads_A_A_B", 3, 3, false, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(hwindrv_cells, stop_during_a_read_leaves_no_dump_and_the_bar_where_it_was) {
    int message_rounds = 0;
    set_message_processor([&] {
        if (++message_rounds == 3) {
            request_user_break();  // pressed while the window handles messages before byte 100
        }
    });
    EXPECT_THROW(drv->read_cell_verified(1, buffer.data(), 2), e_user_break);
    EXPECT_EQ(progress.position, 100);
    EXPECT_TRUE(files_named("card_readed.bin").empty());
    // The bus is left where it was: no stop condition was sent.
    const std::string bus = decode_bus(recorder->events, clock.total_slept_ms());
    EXPECT_EQ(bus.find('P'), std::string::npos);
}

TEST_F(hwindrv_cells, delete_on_an_absent_chip_fails_its_check_and_leaves_the_card_off) {
    EXPECT_FALSE(drv->delete_cell(0));
    EXPECT_EQ(drv->get_text_result(), delete_failed_text);
    EXPECT_EQ(decode_bus(recorder->events, clock.total_slept_ms()),
              "off ~50 on ~50 S W:A4 W:00 W:00 W:AA P ~50 off ~50 on ~50 "
              "off ~50 on ~50 S W:A4 W:00 W:00 S W:A5 R A b1 P off ~50");
    const auto lines = log_lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "[i]\tУдаление ячейки 0, физический адрес 0xA4, bin10100100");
    EXPECT_EQ(lines[1], "[i]\tПроверка удаления");
    EXPECT_EQ(lines[4], "[Считан массив:]\tcount= 1 data= FF");
    EXPECT_EQ(lines[6], "[i]\t" + delete_failed_text);
}

TEST_F(hwindrv_cells, clear_card_deletes_all_six_cells_whatever_each_result) {
    drv->clear_card();
    EXPECT_EQ(drv->get_text_result(), delete_failed_text);
    const std::string bus = decode_bus(recorder->events, clock.total_slept_ms());
    EXPECT_EQ(bus.substr(0, 15), "off ~50 off ~50");
    for (const char* slave : {"W:A4", "W:A6", "W:A8", "W:AA", "W:AC", "W:AE"}) {
        EXPECT_NE(bus.find(std::string("S ") + slave + " W:00 W:00 W:AA P ~50"), std::string::npos)
            << slave;
    }
    const auto lines = log_lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "[lbreak]\t" + std::string(75, '-'));
    EXPECT_EQ(lines[1], "[i]\tОчистка карты");
    EXPECT_EQ(lines[2], "[i]\tУдаление ячейки 0, физический адрес 0xA4, bin10100100");
    EXPECT_EQ(lines.back(), "[i]\t" + delete_failed_text);
}

}  // namespace
