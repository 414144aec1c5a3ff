// The directory scan on simulated cards: classification, card type, and reads that
// disagree.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/U_program_start.h"
#include "sim_card_env.h"

namespace {

// True when `wanted` appear in `lines` in this order (other lines may lie between).
bool has_in_order(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    size_t next = 0;
    for (const std::string& line : lines) {
        if (next < wanted.size() && line == wanted[next]) {
            ++next;
        }
    }
    return next == wanted.size();
}

size_t count_of(const std::vector<std::string>& lines, const std::string& line) {
    return std::count(lines.begin(), lines.end(), line);
}

struct cell_expect {
    int cell;
    bool filled;
    int32_t state;
    int32_t device_number;  // -1: kept from before the scan
    const char* version;    // "old": kept from before the scan
};

struct scan_case {
    const char* name;
    int cells;
    std::function<void(std::vector<uint8_t>&)> setup;
    std::vector<cell_expect> expect;
    bool six_cells;
    bool card_has_data;
    std::vector<std::string> log_lines;  // in this order
};

class hwindrv_scan : public t_sim_card_env, public ::testing::WithParamInterface<scan_case> {};

TEST_P(hwindrv_scan, classifies_the_cells_and_the_card) {
    const scan_case& c = GetParam();
    std::vector<uint8_t> card = blank_card(c.cells);
    c.setup(card);
    insert_card(card);
    t_cell_table cells;
    cells.fill({true, -1, "old", 9});
    bool six_cells = !c.six_cells;
    bool card_has_data = !c.card_has_data;

    EXPECT_TRUE(drv->read_card_list(cells, six_cells, card_has_data));
    EXPECT_EQ(six_cells, c.six_cells);
    EXPECT_EQ(card_has_data, c.card_has_data);
    for (const cell_expect& e : c.expect) {
        const t_cell_rec& rec = cells[e.cell];
        EXPECT_EQ(rec.filled, e.filled) << "cell " << e.cell;
        EXPECT_EQ(rec.state, e.state) << "cell " << e.cell;
        EXPECT_EQ(rec.device_number, e.device_number) << "cell " << e.cell;
        EXPECT_EQ(rec.version, e.version) << "cell " << e.cell;
    }
    const auto lines = log_lines();
    EXPECT_TRUE(has_in_order(lines, c.log_lines));
    // Both reads of every cell agreed at once: two scan log files per cell.
    EXPECT_EQ(list_dir(program_bin_dir()).size(), 12u);
}

const std::string not_found = "[i]\tНе найдено следов ПУ";

INSTANTIATE_TEST_SUITE_P(
    cases, hwindrv_scan,
    ::testing::Values(
        scan_case{"device_3T3V_number_4660",
                  6,
                  [](auto& card) { put_signature(card, 0, 0x01, 0x1234, 0xAA); },
                  {{0, true, 1, 4660, "3T3V"}, {1, false, 0, -1, "old"}},
                  false,
                  true,
                  {"[i]\tСигнатуры одинаковые, оки.", "[i]\tНайден заголовок ПУ 4660 версия 3T3V",
                   "[i]\tСканирование адресов, адрес 0xA6, 10100110", not_found,
                   "[i]\tТри последние ячейки абсолютно пустые, тип карты 3 ячейки"}},
        scan_case{"versions_4T4V_and_2T4V",
                  3,
                  [](auto& card) {
                      put_signature(card, 1, 0x10, 0x0101, 0xA8);
                      put_signature(card, 2, 0xFE, 0xFFFF, 0xFF);
                  },
                  {{1, true, 1, 257, "4T4V"}, {2, true, 1, 65535, "2T4V"}},
                  false,
                  true,
                  {"[i]\tНайден заголовок ПУ 257 версия 4T4V",
                   "[i]\tНайден заголовок ПУ 65535 версия 2T4V"}},
        // A zero byte in the device number fails the header test.
        scan_case{"device_number_256",
                  3,
                  [](auto& card) { put_signature(card, 0, 0x01, 0x0100, 0xAA); },
                  {{0, true, 0, -1, "old"}},
                  false,
                  true,
                  {"[i]\tСканирование адресов, адрес 0xA4, 10100100", not_found}},
        scan_case{"device_number_255",
                  3,
                  [](auto& card) { put_signature(card, 0, 0x01, 0x00FF, 0xAA); },
                  {{0, true, 0, -1, "old"}},
                  false,
                  true,
                  {not_found}},
        scan_case{"unknown_format_code",
                  3,
                  [](auto& card) { put_signature(card, 0, 0x01, 0x1234, 0x00); },
                  {{0, true, 0, 4660, "old"}},
                  false,
                  true,
                  {"[i]\tЗагловок ПУ найден, но не найдена корректная версия ПУ", not_found}},
        scan_case{"deleted_mark_whatever_the_header",
                  3,
                  [](auto& card) { put_signature(card, 2, 0xAA, 0x1234, 0xAA); },
                  {{2, true, 2, -1, "old"}},
                  false,
                  true,
                  {"[i]\tСигнатура удалённого ПУ"}},
        // Chips 3-5 absent read like empty cells.
        scan_case{"three_cell_card_with_data",
                  3,
                  [](auto& card) { put_signature(card, 0, 0x01, 0x1234, 0xFF); },
                  {{3, false, 0, -1, "old"}, {5, false, 0, -1, "old"}},
                  false,
                  true,
                  {"[i]\tТри последние ячейки абсолютно пустые, тип карты 3 ячейки"}},
        scan_case{"only_a_deleted_cell_4",
                  6,
                  [](auto& card) { put_bytes(card, 4, 0, {0xAA}); },
                  {{0, false, 0, -1, "old"}, {4, true, 2, -1, "old"}},
                  true,
                  true,
                  {"[i]\tВ одной из трёх последних ячеек хоть что-то есть,  6 ячеек"}},
        // One byte other than 0xFF anywhere in the signature fills the cell.
        scan_case{"stray_byte_in_cell_5",
                  6,
                  [](auto& card) { put_bytes(card, 5, 30, {0x00}); },
                  {{5, true, 0, -1, "old"}},
                  true,
                  true,
                  {}},
        scan_case{"empty_card",
                  6,
                  [](auto&) {},
                  {{0, false, 0, -1, "old"}},
                  false,
                  false,
                  {"[i]\tТри последние ячейки абсолютно пустые, тип карты 3 ячейки",
                   "[e]\tВ карте вообще нет данных, или нет карты"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Status reads of one signature read: four address bytes' acknowledges, then 63 bytes.
constexpr uint64_t reads_per_signature = 4 + 63 * 8;

class hwindrv_scan_disagreement : public t_sim_card_env {
  protected:
    // Inverts the first data bit of the primary reads numbered `primary_reads` (from 0,
    // counting every signature read of the scan).
    void insert_card_misreading(const std::vector<uint64_t>& primary_reads) {
        std::vector<uint8_t> card = blank_card(6);
        put_signature(card, 0, 0x01, 0x1234, 0xAA);
        insert_card(card, [primary_reads](uint64_t n) {
            for (const uint64_t read : primary_reads) {
                if (n == read * reads_per_signature + 4) {
                    return true;
                }
            }
            return false;
        });
    }
    t_cell_table cells;
    bool six_cells = false;
    bool card_has_data = false;
};

TEST_F(hwindrv_scan_disagreement, a_first_attempt_that_disagrees_is_repeated) {
    insert_card_misreading({0});
    EXPECT_TRUE(drv->read_card_list(cells, six_cells, card_has_data));
    EXPECT_EQ(cells[0].state, 1);
    EXPECT_EQ(cells[0].device_number, 4660);
    EXPECT_TRUE(card_has_data);
    const auto lines = log_lines();
    EXPECT_EQ(count_of(lines, "[e]\tСигнатуры различаются."), 1u);
    EXPECT_TRUE(has_in_order(
        lines, {"[i]\tЧтение сигнатуры попытка 1 из 2", "[e]\tСигнатуры различаются.",
                "[i]\tЧтение сигнатуры попытка 2 из 2", "[i]\tСигнатуры одинаковые, оки."}));
    // Cell 0 wrote four scan log files (counters 0-3), the others two each.
    const auto files = list_dir(program_bin_dir());
    ASSERT_EQ(files.size(), 14u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(files[i].find("__0000000" + std::to_string(i) + ".scan"), std::string::npos)
            << files[i];
    }
    // The misread primary signature went to the first file as it was read.
    EXPECT_EQ(static_cast<uint8_t>(read_file_bytes(program_bin_dir() + files[0])[0]), 0x81);
}

TEST_F(hwindrv_scan_disagreement, a_cell_whose_reads_never_agree_ends_the_scan) {
    // Cells 0 and 1 agree at once (signature reads 0-3); both primaries of cell 2 misread.
    insert_card_misreading({4, 6});
    cells[3] = {true, 99, "2T4V", 1};
    cells[5] = {true, 98, "4T4V", 2};
    six_cells = true;
    card_has_data = true;
    EXPECT_FALSE(drv->read_card_list(cells, six_cells, card_has_data));
    EXPECT_FALSE(card_has_data);
    EXPECT_TRUE(six_cells) << "the card type is set only by a complete scan";
    EXPECT_EQ(cells[0].state, 1);
    EXPECT_EQ(cells[2].state, 0);
    EXPECT_EQ(cells[3].device_number, 99);
    EXPECT_EQ(cells[3].state, 1);
    EXPECT_EQ(cells[5].state, 2);
    const auto lines = log_lines();
    EXPECT_EQ(count_of(lines, "[e]\tСигнатуры различаются."), 2u);
    EXPECT_EQ(lines.back(), "[e]\tНеудачное считывание.");
    EXPECT_EQ(list_dir(program_bin_dir()).size(), 8u);
}

}  // namespace
