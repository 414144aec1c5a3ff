#include "card/simulator/card_reader.h"

#include <utility>

namespace {
constexpr uint8_t data_bit = 0x01;
constexpr uint8_t clock_bit = 0x02;
constexpr uint8_t supply_bits = 0x0C;
constexpr uint8_t first_write_address = 0xA4;
}  // namespace

t_sim_card_reader::t_sim_card_reader(t_sim_card card, const t_sim_reader_faults& faults)
    : card_(std::move(card)), random_(faults.seed), noise_(faults.noise) {
    const int cells = card_.cell_count();
    for (int n = 0; n < cells && n < sim_max_cells; ++n) {
        if (faults.absent_cells & (1u << n)) {
            continue;
        }
        chips_[chip_count_++].attach(n, static_cast<uint8_t>(first_write_address + 2 * n),
                                     card_.bytes.data() + static_cast<size_t>(n) * sim_cell_size,
                                     this);
    }
}

void t_sim_card_reader::update_wire() {
    bool low = false;
    bool sending = false;
    for (int i = 0; i < chip_count_; ++i) {
        low |= !chips_[i].releases_line();
        sending |= chips_[i].sending();
    }
    data_wire_ = data_host_ && !low;
    chip_sending_ = sending;
}

void t_sim_card_reader::write_data(uint8_t value) {
    const bool powered = (value & supply_bits) == supply_bits;
    const bool clock = (value & clock_bit) != 0;
    const bool data = (value & data_bit) != 0;

    if (powered != powered_) {
        // The chips wake up (or die) with whatever the lines are: no edge counts.
        powered_ = powered;
        for (int i = 0; i < chip_count_; ++i) {
            if (powered) {
                chips_[i].power_on();
            } else {
                chips_[i].power_off();
            }
        }
        clock_ = clock;
        data_host_ = data;
        update_wire();
        return;
    }
    if (!powered_) {
        clock_ = clock;
        data_host_ = data;
        data_wire_ = data;
        return;
    }

    if (clock_ && !clock) {
        // Falling clock first; a data change in the same write comes while the clock is low.
        clock_ = false;
        for (int i = 0; i < chip_count_; ++i) {
            chips_[i].clock_fall();
        }
        data_host_ = data;
        update_wire();
    } else if (!clock_ && clock) {
        // A data change in the same write comes first, while the clock is still low.
        data_host_ = data;
        update_wire();
        clock_ = true;
        for (int i = 0; i < chip_count_; ++i) {
            chips_[i].clock_rise(data_wire_);
        }
    } else if (data != data_host_) {
        const bool was = data_wire_;
        data_host_ = data;
        update_wire();
        if (clock_ && data_wire_ != was) {
            for (int i = 0; i < chip_count_; ++i) {
                if (data_wire_) {
                    chips_[i].stop_condition();
                } else {
                    chips_[i].start_condition();
                }
            }
            update_wire();
        }
    }
}

uint8_t t_sim_card_reader::read_status() {
    bool level = data_wire_;
    if (chip_sending_ && noise_ > 0.0 && random_.uniform() < noise_) {
        level = !level;
    }
    return static_cast<uint8_t>(status_idle | (level ? status_data_line : 0));
}

void t_sim_card_reader::eeprom_committed(int chip_index, uint32_t offset, uint32_t count) {
    if (!card_.store) {
        return;
    }
    const uint32_t image_offset = static_cast<uint32_t>(chip_index) * sim_cell_size + offset;
    std::string error;
    if (!card_.store->save(image_offset, card_.bytes.data() + image_offset, count, error)) {
        storage_error_ = error;
    }
}
