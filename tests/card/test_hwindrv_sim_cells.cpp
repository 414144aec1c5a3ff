// Whole-cell reads, delete and clear on simulated cards.
#include <gtest/gtest.h>

#include "app/U_program_start.h"
#include "progress/Dh_work_control.h"
#include "sim_card_env.h"

namespace {

const std::string delete_failed_text =
    "Ошибка установки флага удаления ячейки: записанные и считанные данные не совпадают!";

std::vector<uint8_t> cell_of(const std::vector<uint8_t>& card, int cell) {
    return std::vector<uint8_t>(card.begin() + cell * sim_cell_size,
                                card.begin() + (cell + 1) * sim_cell_size);
}

// A cell full of different bytes, with a device header.
void fill_cell(std::vector<uint8_t>& card, int cell, uint8_t first) {
    for (uint32_t i = 0; i < sim_cell_size; ++i) {
        card[cell * sim_cell_size + i] = static_cast<uint8_t>(i * 7 + (i >> 8) + cell);
    }
    put_signature(card, cell, first, 0x1234, 0xAA);
}

// Reads `count` bytes at `offset` of cell 0 on the powered card and ends like a whole-cell
// read: an answer to the last byte, the lone high bit, the stop. `ack_last` answers the
// last byte with an acknowledge, as every byte before it.
std::vector<uint8_t> read_block(t_hwindrv& drv, uint16_t offset, int count, bool ack_last) {
    std::vector<uint8_t> bytes(count);
    drv.bus_start();
    drv.send_byte(0xA4);
    drv.send_byte(static_cast<uint8_t>(offset >> 8));
    drv.send_byte(static_cast<uint8_t>(offset));
    drv.bus_start();
    drv.send_byte(0xA5);
    for (int i = 0; i < count; ++i) {
        bytes[i] = drv.receive_byte();
        if (i + 1 < count || ack_last) {
            drv.send_ack();
        } else {
            drv.send_no_ack();
        }
    }
    drv.send_no_ack();
    drv.bus_stop(0);
    return bytes;
}

class hwindrv_sim_cells : public t_sim_card_env {
  protected:
    hwindrv_sim_cells() { enable_work(); }
};

struct ending_case {
    uint8_t next_byte;  // the byte the chip sends after the last one read
    bool acknowledged_last_byte_breaks_the_next_read;
};

class hwindrv_read_ending : public hwindrv_sim_cells,
                            public ::testing::WithParamInterface<ending_case> {};

// An acknowledged last byte makes the chip go on sending the next one. The stop is then
// seen only if the chip's bit 6 of that byte is 1, and the next start only if its bit 5
// is 1; otherwise the next read's address is lost and that read is shifted.
TEST_P(hwindrv_read_ending, the_last_byte_of_a_read_must_not_be_acknowledged) {
    const ending_case& c = GetParam();
    std::vector<uint8_t> card = blank_card(1);
    put_bytes(card, 0, 0, {0x11, 0x22, 0x33, 0x44, c.next_byte});
    put_bytes(card, 0, 0x100, {0xC1, 0xC2, 0xC3, 0xC4});
    const std::vector<uint8_t> expected = {0xC1, 0xC2, 0xC3, 0xC4};
    insert_card(card);

    read_block(*drv, 0, 4, true);
    EXPECT_EQ(read_block(*drv, 0x100, 4, true) != expected,
              c.acknowledged_last_byte_breaks_the_next_read);

    drv->power(false);
    drv->power(true);
    read_block(*drv, 0, 4, false);
    EXPECT_EQ(read_block(*drv, 0x100, 4, false), expected);
}

INSTANTIATE_TEST_SUITE_P(cases, hwindrv_read_ending,
                         ::testing::Values(ending_case{0x00, true}, ending_case{0x01, true},
                                           ending_case{0x9F, true}, ending_case{0x40, false},
                                           ending_case{0x20, false}, ending_case{0xFF, false}));

TEST_F(hwindrv_sim_cells, a_verified_read_gets_a_cell_whose_byte_0_has_bits_6_and_5_clear) {
    std::vector<uint8_t> card = blank_card(3);
    fill_cell(card, 1, 0x01);
    insert_card(card);
    t_counting_progress progress;
    drv->set_progress_bar(&progress);
    std::vector<uint8_t> buffer(sim_cell_size);

    EXPECT_TRUE(drv->read_cell_verified(1, buffer.data(), 2)) << drv->get_text_result();
    EXPECT_TRUE(buffer == cell_of(card, 1));
    EXPECT_EQ(progress.position, 65536);
    // Two dumps of the same bytes, named by the virtual time of each read's end.
    const auto files = list_dir(program_logs_dir());
    std::vector<std::string> dumps;
    for (const std::string& name : files) {
        if (name.find("card_readed.bin") != std::string::npos) {
            dumps.push_back(name);
        }
    }
    ASSERT_EQ(dumps.size(), 2u);
    for (const std::string& dump : dumps) {
        EXPECT_TRUE(read_file_bytes(program_logs_dir() + dump) ==
                    std::string(buffer.begin(), buffer.end()));
    }
}

TEST_F(hwindrv_sim_cells, delete_changes_only_byte_0_and_the_scan_then_sees_the_mark) {
    std::vector<uint8_t> card = blank_card(3);
    fill_cell(card, 1, 0x01);
    insert_card(card);

    EXPECT_TRUE(drv->delete_cell(1));
    std::vector<uint8_t> expected = card;
    expected[sim_cell_size] = 0xAA;
    EXPECT_TRUE(card_now() == expected);

    drv->power(true);
    t_cell_table cells;
    bool six_cells = true;
    bool card_has_data = false;
    ASSERT_TRUE(drv->read_card_list(cells, six_cells, card_has_data));
    EXPECT_EQ(cells[1].state, 2);
    const auto lines = log_lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "[i]\tСигнатура удалённого ПУ"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "[i]\tНайден заголовок ПУ 4660 версия 3T3V"),
              lines.end());
}

TEST_F(hwindrv_sim_cells, clear_on_a_three_cell_card_marks_0_to_2_and_fails_3_to_5) {
    std::vector<uint8_t> card = blank_card(3);
    fill_cell(card, 0, 0x01);
    insert_card(card);

    drv->clear_card();
    EXPECT_EQ(drv->get_text_result(), delete_failed_text);
    std::vector<uint8_t> expected = card;
    for (int cell = 0; cell < 3; ++cell) {
        expected[cell * sim_cell_size] = 0xAA;
    }
    EXPECT_TRUE(card_now() == expected);
    // A failure line follows the deletes of cells 3, 4 and 5 only.
    std::vector<int> failed_cells;
    int cell = -1;
    for (const std::string& line : log_lines()) {
        if (line.rfind("[i]\tУдаление ячейки ", 0) == 0) {
            cell = std::stoi(line.substr(std::string("[i]\tУдаление ячейки ").size()));
        } else if (line == "[i]\t" + delete_failed_text) {
            failed_cells.push_back(cell);
        }
    }
    EXPECT_EQ(failed_cells, (std::vector<int>{3, 4, 5}));
}

}  // namespace
