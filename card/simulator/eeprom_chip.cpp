#include "card/simulator/eeprom_chip.h"

#include "common/hunits/h_clock.h"

namespace {
constexpr uint16_t pointer_mask = t_eeprom_chip::memory_size - 1;  // 15 address bits
constexpr uint16_t page_mask = t_eeprom_chip::page_size - 1;
}  // namespace

void t_eeprom_chip::attach(int index, uint8_t write_address, uint8_t* memory,
                           t_eeprom_commit_sink* sink) {
    index_ = index;
    write_address_ = write_address;
    memory_ = memory;
    sink_ = sink;
}

void t_eeprom_chip::reset_bus_state() {
    phase_ = t_phase::idle;
    role_ = t_role::device_address;
    output_high_ = true;
    read_mode_ = false;
    master_acked_ = false;
    bits_ = 0;
    shift_ = 0;
    page_written_ = 0;
}

void t_eeprom_chip::power_on() {
    reset_bus_state();
    pointer_ = 0;
    busy_until_us_ = 0;
}

void t_eeprom_chip::power_off() {
    reset_bus_state();
    busy_until_us_ = 0;
}

void t_eeprom_chip::start_condition() {
    // A start aborts whatever went on, an unfinished write included.
    reset_bus_state();
    phase_ = t_phase::receive;
}

void t_eeprom_chip::stop_condition() {
    // The page is written when the stop follows whole data bytes: the stop's own clock pulse
    // samples at most one bit of a next byte. A stop in the middle of a byte aborts the write.
    const bool commit =
        page_written_ != 0 && role_ == t_role::data && phase_ == t_phase::receive && bits_ <= 1;
    if (commit) {
        for (uint32_t i = 0; i < page_size; ++i) {
            if (page_written_ & (uint64_t{1} << i)) {
                memory_[page_base_ + i] = page_buffer_[i];
            }
        }
        busy_until_us_ = h_clock().now_us() + write_cycle_us;
        if (sink_) {
            sink_->eeprom_committed(index_, page_base_, page_size);
        }
    }
    reset_bus_state();
}

bool t_eeprom_chip::write_cycle_busy() const {
    return busy_until_us_ != 0 && h_clock().now_us() < busy_until_us_;
}

void t_eeprom_chip::byte_received() {
    bool ack = true;
    switch (role_) {
        case t_role::device_address:
            // During the write cycle the chip does not answer even its own address.
            ack = (shift_ & 0xFE) == write_address_ && !write_cycle_busy();
            read_mode_ = (shift_ & 1) != 0;
            role_ = t_role::address_high;
            break;
        case t_role::address_high:
            address_high_ = shift_ & (pointer_mask >> 8);
            role_ = t_role::address_low;
            break;
        case t_role::address_low:
            pointer_ = static_cast<uint16_t>((address_high_ << 8) | shift_);
            page_base_ = pointer_ & ~page_mask;
            page_written_ = 0;
            role_ = t_role::data;
            break;
        case t_role::data: {
            // The pointer rolls over inside the page: bytes beyond the page's end overwrite
            // the page's first bytes.
            const uint16_t in_page = pointer_ & page_mask;
            page_buffer_[in_page] = shift_;
            page_written_ |= uint64_t{1} << in_page;
            pointer_ = static_cast<uint16_t>(page_base_ | ((in_page + 1) & page_mask));
            break;
        }
    }
    if (ack) {
        phase_ = t_phase::acknowledge;
        output_high_ = false;
    } else {
        reset_bus_state();
    }
}

void t_eeprom_chip::acknowledge_done() {
    output_high_ = true;
    if (read_mode_) {
        begin_transmit();
    } else {
        phase_ = t_phase::receive;
        bits_ = 0;
        shift_ = 0;
    }
}

void t_eeprom_chip::begin_transmit() {
    // Called right after a falling clock edge: the first bit goes on the line at once.
    phase_ = t_phase::transmit;
    out_byte_ = memory_[pointer_];
    bits_ = 0;
    output_high_ = (out_byte_ & 0x80) != 0;
}

void t_eeprom_chip::byte_sent() {
    output_high_ = true;
    pointer_ = (pointer_ + 1) & pointer_mask;
    phase_ = t_phase::master_acknowledge;
    master_acked_ = false;
}

void t_eeprom_chip::master_acknowledge_done() {
    if (master_acked_) {
        begin_transmit();
    } else {
        // Not acknowledged: the line stays released until the next start or stop.
        phase_ = t_phase::idle;
    }
}
