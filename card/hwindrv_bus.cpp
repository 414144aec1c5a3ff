// t_hwindrv: the two-wire bus over the data and status registers, and the card power.
// Every line change is one write of the whole data register; nothing is batched.
#include "card/U_wincard_work.h"
#include "card/card_log.h"
#include "common/hunits/h_clock.h"
#include "common/hunits/uhFuncs.h"

namespace {
constexpr uint8_t lines_off = 0;
constexpr uint8_t lines_idle = 0x0F;  // supply on, clock high, data high
constexpr uint8_t lines_clock_low_data_low = 0x0C;
constexpr uint8_t lines_clock_high_data_low = 0x0E;
constexpr uint8_t lines_clock_low_data_high = 0x0D;
}  // namespace

void t_hwindrv::power(bool on) {
    set_lines(on ? lines_idle : lines_off);
    h_clock().sleep_ms(power_switch_ms);
}

void t_hwindrv::bus_delay() {
    for (uint32_t step = 0; step < 1000; ++step) {
        // An empty statement the compiler must keep, so the 1000 steps really run.
        asm volatile("" : "+r"(step));
    }
}

void t_hwindrv::clock_high() {
    set_lines(line_state | line_clock);
}

void t_hwindrv::clock_low() {
    set_lines(line_state & ~line_clock);
}

void t_hwindrv::data_high() {
    set_lines(line_state | line_data);
}

void t_hwindrv::data_low() {
    set_lines(line_state & ~line_data);
}

void t_hwindrv::bus_start() {
    bus_delay();
    clock_high();
    bus_delay();
    data_low();
    bus_delay();
    clock_low();
    bus_delay();
}

void t_hwindrv::bus_stop(uint32_t wait_ms) {
    bus_delay();
    set_lines(lines_clock_low_data_low);
    bus_delay();
    set_lines(lines_clock_high_data_low);
    bus_delay();
    set_lines(lines_idle);
    if (wait_ms > 0) {
        h_clock().sleep_ms(wait_ms);
    }
    set_lines(lines_clock_low_data_high);
    bus_delay();
}

void t_hwindrv::send_bit() {
    clock_low();
    if (shift_byte & 0x80) {
        data_high();
    } else {
        data_low();
    }
    clock_high();
}

void t_hwindrv::receive_bit() {
    clock_low();
    bus_delay();
    data_high();
    clock_high();
    if (read_status_port() & status_data_in) {
        shift_byte += 1;
    }
    clock_low();
}

void t_hwindrv::send_byte(uint8_t value) {
    shift_byte = value;
    for (int bit = 0; bit < 8; ++bit) {
        send_bit();
        shift_byte = static_cast<uint8_t>(shift_byte << 1);
    }
    // The chip's acknowledge lands in shift_byte; nobody evaluates it.
    shift_byte = 0;
    receive_bit();
}

uint8_t t_hwindrv::receive_byte() {
    shift_byte = 0;
    for (int bit = 0; bit < 8; ++bit) {
        shift_byte = static_cast<uint8_t>(shift_byte << 1);
        receive_bit();
    }
    return shift_byte;
}

void t_hwindrv::send_ack() {
    shift_byte = 0;
    send_bit();
}

void t_hwindrv::send_no_ack() {
    shift_byte = 0x80;
    send_bit();
}

void t_hwindrv::address_for_read(uint8_t slave, uint16_t offset) {
    bus_start();
    send_byte(slave);
    send_byte(static_cast<uint8_t>(offset >> 8));
    send_byte(static_cast<uint8_t>(offset & 0xFF));
    bus_start();
    send_byte(static_cast<uint8_t>(slave + 1));
}

int t_hwindrv::read_array(uint8_t slave, uint16_t offset, uint8_t* buffer, uint16_t count) {
    card_log_break();
    card_log_info(format_str("Чтение массива, слэйв адрес: 0x%X, смещение 0x%X, кол-во байт: 0x%X.",
                             static_cast<unsigned>(slave), static_cast<unsigned>(offset),
                             static_cast<unsigned>(count)));
    power(false);
    power(true);
    address_for_read(slave, offset);
    for (uint32_t i = 0; i < count; ++i) {
        buffer[i] = receive_byte();
        send_ack();
    }
    // The card is switched off right after the stop, so the chip, still sending after the
    // last acknowledged byte, cannot disturb a later transaction.
    send_no_ack();
    bus_stop(0);
    power(false);
    card_log_hex("Считан массив:", buffer, count);
    card_log_break();
    return 0;
}
