// The card reader on the parallel port: data register bit 0 drives the data line (1 =
// released), bit 1 the clock, bits 2 and 3 the card's supply (both set = powered); status
// bit 0x40 reads the data line. The chips drive the data line only low, so the wire is the
// AND of the program's line and every chip's output.
//
// One register write may change clock and data together. The chips' setup and hold times
// are then not met, so such a change never forms a start or stop: the data change counts
// as happening while the clock is low (after a falling clock, before a rising one).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "card/simulator/card_image.h"
#include "card/simulator/eeprom_chip.h"
#include "card/simulator/sim_random.h"

struct t_sim_reader_faults {
    // Probability that a bit sent by a chip is read inverted.
    double noise = 0.0;
    uint64_t seed = 0;
    // Bit n set: chip n is missing even when the image holds cell n.
    uint8_t absent_cells = 0;
};

class t_sim_card_reader : private t_eeprom_commit_sink {
  public:
    // The other status lines read as an idle port with pulled-up inputs.
    static constexpr uint8_t status_idle = 0x3F;
    static constexpr uint8_t status_data_line = 0x40;

    t_sim_card_reader(t_sim_card card, const t_sim_reader_faults& faults);
    t_sim_card_reader(const t_sim_card_reader&) = delete;
    t_sim_card_reader& operator=(const t_sim_card_reader&) = delete;

    void write_data(uint8_t value);
    uint8_t read_status();

    bool clock() const { return clock_; }
    bool data_host() const { return data_host_; }
    bool data_wire() const { return data_wire_; }
    bool powered() const { return powered_; }
    const std::vector<uint8_t>& image() const { return card_.bytes; }
    // Empty unless writing a change back to the card's store failed (the last failure).
    const std::string& storage_error() const { return storage_error_; }

  private:
    void eeprom_committed(int chip_index, uint32_t offset, uint32_t count) override;
    void update_wire();

    t_sim_card card_;
    std::array<t_eeprom_chip, sim_max_cells> chips_;
    int chip_count_ = 0;  // chips_[0 .. chip_count_) are on the bus
    t_sim_random random_;
    double noise_;

    bool powered_ = false;
    bool clock_ = false;
    bool data_host_ = false;
    bool data_wire_ = false;
    bool chip_sending_ = false;
    std::string storage_error_;
};
