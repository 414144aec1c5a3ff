// The directory scan on a card reader without a card: every signature reads 0xFF. Exact
// log lines, scan log files, and the outcome.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/U_program_start.h"
#include "card/U_wincard_work.h"
#include "card_test_env.h"

namespace {

const std::string separator = "[lbreak]\t" + std::string(75, '-');

// The lines of one signature read of an absent chip at `slave` ("A4").
std::vector<std::string> signature_read_lines(const std::string& slave) {
    const std::string ff63 = [] {
        std::string s;
        for (int i = 0; i < 63; ++i) {
            s += " FF";
        }
        return s;
    }();
    return {"[i]\tЧтение сигнатуры",
            separator,
            "[i]\tЧтение массива, слэйв адрес: 0x" + slave + ", смещение 0x0, кол-во байт: 0x3F.",
            "[Считан массив:]\tcount= 63 data=" + ff63,
            separator,
            "[Считана сигнатура:]\tcount= 64 data=" + ff63 + " 00"};
}

class hwindrv_directory : public t_card_test_env {
  protected:
    hwindrv_directory() : drv(make_recorded_drv()) {}
    std::unique_ptr<t_hwindrv> drv;
    t_cell_table cells;
    bool six_cells = true;
    bool card_has_data = true;
};

TEST_F(hwindrv_directory, a_reader_without_a_card_gives_an_empty_three_cell_card) {
    for (t_cell_rec& rec : cells) {
        rec = {true, 77, "4T4V", 1};
    }
    EXPECT_TRUE(drv->read_card_list(cells, six_cells, card_has_data));
    EXPECT_FALSE(six_cells);
    EXPECT_FALSE(card_has_data);
    for (const t_cell_rec& rec : cells) {
        EXPECT_FALSE(rec.filled);
        EXPECT_EQ(rec.state, 0);
        // Number and version are kept: they mean something only with state 1.
        EXPECT_EQ(rec.device_number, 77);
        EXPECT_EQ(rec.version, "4T4V");
    }

    std::vector<std::string> expected = {separator, separator,
                                         "[i]\tСчитывание списка ПУ на карте"};
    const char* const addresses[6][2] = {{"A4", "10100100"}, {"A6", "10100110"},
                                         {"A8", "10101000"}, {"AA", "10101010"},
                                         {"AC", "10101100"}, {"AE", "10101110"}};
    for (const auto& address : addresses) {
        const std::string slave = address[0];
        expected.push_back(separator);
        expected.push_back("[i]\tСканирование адресов, адрес 0x" + slave + ", " + address[1]);
        expected.push_back("[i]\tЧтение сигнатуры попытка 1 из 2");
        expected.push_back("[i]\tПервичный запрос");
        for (const std::string& line : signature_read_lines(slave)) {
            expected.push_back(line);
        }
        expected.push_back("[i]\tВторичный запрос");
        for (const std::string& line : signature_read_lines(slave)) {
            expected.push_back(line);
        }
        expected.push_back("[i]\tСравнение...");
        expected.push_back("[i]\tСигнатуры одинаковые, оки.");
        expected.push_back("[i]\tНе найдено следов ПУ");
    }
    expected.push_back("[i]\tТри последние ячейки абсолютно пустые, тип карты 3 ячейки");
    expected.push_back("[e]\tВ карте вообще нет данных, или нет карты");
    EXPECT_EQ(log_lines(), expected);
}

TEST_F(hwindrv_directory, every_signature_read_leaves_a_scan_log_file_of_63_bytes) {
    drv->read_card_list(cells, six_cells, card_has_data);
    const std::vector<std::string> files = list_dir(program_bin_dir());
    ASSERT_EQ(files.size(), 12u);
    // Each read power-cycles the card (150 ms); the pair of a cell is written after both.
    EXPECT_EQ(files[0], "scan_log 2010.04.01 09-05-07-342__00000000.scan");
    EXPECT_EQ(files[1], "scan_log 2010.04.01 09-05-07-342__00000001.scan");
    EXPECT_EQ(files[2], "scan_log 2010.04.01 09-05-07-642__00000000.scan");
    EXPECT_EQ(files[11], "scan_log 2010.04.01 09-05-08-842__00000001.scan");
    EXPECT_EQ(read_file_bytes(program_bin_dir() + files[0]), std::string(63, '\xFF'));
}

TEST_F(hwindrv_directory, a_scan_log_file_that_cannot_be_made_is_skipped) {
    std::filesystem::remove_all(program_bin_dir());
    EXPECT_TRUE(drv->read_card_list(cells, six_cells, card_has_data));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(hwindrv_directory, the_signature_slots_keep_their_64th_byte_zero) {
    drv->read_card_list(cells, six_cells, card_has_data);
    EXPECT_EQ(drv->primary_signature()[62], 0xFF);
    EXPECT_EQ(drv->primary_signature()[63], 0x00);
    EXPECT_EQ(drv->secondary_signature()[63], 0x00);
}

}  // namespace
