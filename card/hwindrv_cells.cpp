// t_hwindrv: whole-cell reads (with dump files and a stoppable progress), deleting a cell
// and clearing the card.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/U_program_start.h"
#include "card/U_wincard_work.h"
#include "card/card_log.h"
#include "common/hunits/h_clock.h"
#include "common/hunits/uhFuncs.h"
#include "progress/Dh_work_control.h"

namespace {
// Window messages and the stop button are served before byte 0, 50, 100, ...
constexpr int bytes_per_message_round = 50;
}  // namespace

void t_hwindrv::write_card_dump(const uint8_t* buffer) {
    const std::string name = program_logs_dir() +
                             format_local_time(h_clock().now_local(), "yyyy.mm.dd hh-nn-ss-zzz") +
                             " card_readed.bin";
    // A dump that cannot be created does not fail the read.
    write_new_file(name, buffer, cell_size);
}

bool t_hwindrv::read_cell(int cell, uint8_t* buffer) {
    address_for_read(cell_slave_address(cell), 0);
    int countdown = 1;
    for (int32_t i = 0; i < cell_size; ++i) {
        if (--countdown == 0) {
            countdown = bytes_per_message_round;
            delay_with_messages(0);
        }
        buffer[i] = receive_byte();
        // The last byte is not acknowledged: an acknowledged chip goes on sending the next
        // byte (byte 0 after the wrap) and may hold the data line low through the stop and
        // the next start, so the next read would lose its address.
        if (i + 1 < cell_size) {
            send_ack();
        } else {
            send_no_ack();
        }
        if (progress_bar) {
            progress_bar->step_position(1);
        }
    }
    send_no_ack();
    bus_stop(0);
    write_card_dump(buffer);
    return true;
}

bool t_hwindrv::read_cell_verified(int cell, uint8_t* buffer, int count) {
    const int32_t reads = std::clamp(count, 0, INT32_MAX / cell_size);
    if (progress_bar) {
        progress_bar->set_max_position(reads * cell_size);
    }
    std::vector<uint8_t> previous;
    for (int32_t k = 1; k <= reads; ++k) {
        read_cell(cell, buffer);
        if (k > 1 && std::memcmp(buffer, previous.data(), cell_size) != 0) {
            text_result =
                "Данные полученные при повторном считывании отличаются от данных полученных при "
                "первичном.\nПовторите считывание.";
            return false;
        }
        previous.assign(buffer, buffer + cell_size);
    }
    return true;
}

bool t_hwindrv::delete_cell(int cell) {
    power(false);
    power(true);
    const uint8_t slave = cell_slave_address(cell);
    card_log_info(format_str("Удаление ячейки %i, физический адрес 0x%X, bin%s", cell,
                             static_cast<unsigned>(slave), byte_to_bits_str(slave).c_str()));
    bus_start();
    send_byte(slave);
    send_byte(0);
    send_byte(0);
    send_byte(cell_deleted_mark);
    bus_stop(write_cycle_ms);
    power(false);
    power(true);
    card_log_info("Проверка удаления");
    uint8_t check = 0;
    read_array(slave, 0, &check, 1);
    if (check == cell_deleted_mark) {
        return true;
    }
    text_result =
        "Ошибка установки флага удаления ячейки: записанные и считанные данные не совпадают!";
    card_log_info(text_result);
    return false;
}

void t_hwindrv::clear_card() {
    card_log_break();
    card_log_info("Очистка карты");
    power(false);
    for (int cell = 0; cell < card_max_cells; ++cell) {
        delete_cell(cell);
    }
}
