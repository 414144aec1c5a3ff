// t_hwindrv: the card directory. Every cell's signature is read twice and must agree;
// each read is also kept as a small scan log file.
#include <algorithm>
#include <cstring>

#include "app/U_program_start.h"
#include "card/U_wincard_work.h"
#include "card/card_log.h"
#include "common/hunits/h_clock.h"
#include "common/hunits/uhFuncs.h"

namespace {

constexpr int signature_attempts = 2;
constexpr int device_number_high = 60;
constexpr int device_number_low = 61;
constexpr int format_code = 62;

const char* version_of_format_code(uint8_t code) {
    switch (code) {
        case 0xA8:
            return "4T4V";
        case 0xAA:
            return "3T3V";
        case 0xFF:
            return "2T4V";
        default:
            return nullptr;
    }
}

}  // namespace

int t_hwindrv::read_signature(uint8_t slave, uint8_t* slot) {
    card_log_info("Чтение сигнатуры");
    read_array(slave, 0, slot, signature_size);
    // All 64 bytes: the dump ends with the slot's zero byte.
    card_log_hex("Считана сигнатура:", slot, signature_slot_size);
    return 0;
}

void t_hwindrv::write_scan_log(const uint8_t* slot, int counter) {
    const std::string name = program_bin_dir() + "scan_log " +
                             format_local_time(h_clock().now_local(), "yyyy.mm.dd hh-nn-ss-zzz") +
                             "__" + format_str("%08d", counter) + ".scan";
    // A file that cannot be created is skipped silently.
    write_new_file(name, slot, signature_size);
}

void t_hwindrv::classify_cell(const uint8_t* signature, t_cell_rec& rec) {
    const uint8_t first = signature[0];
    if (first != 0xFF && first != cell_deleted_mark && signature[device_number_high] != 0 &&
        signature[device_number_low] != 0) {
        rec.device_number = signature[device_number_high] * 256 + signature[device_number_low];
        if (const char* version = version_of_format_code(signature[format_code])) {
            rec.version = version;
            rec.state = 1;
            card_log_info(format_str("Найден заголовок ПУ %i версия %s", rec.device_number,
                                     rec.version.c_str()));
        } else {
            card_log_info("Загловок ПУ найден, но не найдена корректная версия ПУ");
        }
    }
    if (first == cell_deleted_mark) {
        rec.state = 2;
        card_log_info("Сигнатура удалённого ПУ");
    }
    if (rec.state == 0) {
        card_log_info("Не найдено следов ПУ");
    }
}

bool t_hwindrv::read_card_list(t_cell_table& cells, bool& six_cells, bool& card_has_data) {
    card_log_break();
    card_log_break();
    card_log_info("Считывание списка ПУ на карте");
    card_has_data = false;
    uint8_t* const primary = signature_slots.data();
    uint8_t* const secondary = signature_slots.data() + signature_slot_size;

    for (int cell = 0; cell < card_max_cells; ++cell) {
        t_cell_rec& rec = cells[cell];
        const uint8_t slave = cell_slave_address(cell);
        rec.state = 0;
        card_log_break();
        card_log_info(format_str("Сканирование адресов, адрес 0x%X, %s",
                                 static_cast<unsigned>(slave), byte_to_bits_str(slave).c_str()));
        bool agreed = false;
        for (int attempt = 1; attempt <= signature_attempts && !agreed; ++attempt) {
            card_log_info(
                format_str("Чтение сигнатуры попытка %i из %i", attempt, signature_attempts));
            card_log_info("Первичный запрос");
            read_signature(slave, primary);
            card_log_info("Вторичный запрос");
            read_signature(slave, secondary);
            write_scan_log(primary, 2 * attempt - 2);
            write_scan_log(secondary, 2 * attempt - 1);
            card_log_info("Сравнение...");
            if (std::memcmp(primary, secondary, signature_slot_size) == 0) {
                card_log_info("Сигнатуры одинаковые, оки.");
                rec.filled = std::any_of(primary, primary + signature_size,
                                         [](uint8_t b) { return b != 0xFF; });
                agreed = true;
            } else {
                card_log_error("Сигнатуры различаются.");
            }
        }
        if (!agreed) {
            card_log_error("Неудачное считывание.");
            return false;
        }
        classify_cell(primary, rec);
    }

    six_cells = cells[3].filled || cells[4].filled || cells[5].filled;
    card_log_info(six_cells ? "В одной из трёх последних ячеек хоть что-то есть,  6 ячеек"
                            : "Три последние ячейки абсолютно пустые, тип карты 3 ячейки");
    if (!cells[0].filled && !cells[1].filled && !cells[2].filled && !six_cells) {
        card_log_error("В карте вообще нет данных, или нет карты");
        card_has_data = false;
    } else {
        card_has_data = true;
    }
    return true;
}
