// The simulated card reader as a port backend: selectable like any other backend for
// demos, training and field diagnosis. The reader sits on one base of the port list;
// another base of the list opens as an empty port (every status read 0x7F, the data line
// pulled up); a base outside the list is refused. Each port request takes 1 µs of the
// clock seam, and the chips' write cycle runs on the same clock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "card/bus_trace.h"
#include "card/port_addresses.h"
#include "card/port_backend.h"
#include "card/simulator/card_reader.h"

// The reader sits on the first port of the list unless told otherwise.
constexpr uint32_t sim_default_port = card_port_addresses[0];

// What the command line and the window choose for the simulator.
struct t_sim_config {
    std::string card_file;  // N * 32768 bytes, N = 1 ... 6
    uint32_t reader_port = sim_default_port;
    double noise = 0.0;        // probability that a bit sent by a chip is read inverted
    uint64_t seed = 0;         // of the noise
    uint8_t absent_cells = 0;  // bit n: chip n removed from the card
};

class t_sim_port_backend : public t_port_backend, public t_wire_probe {
  public:
    static constexpr uint8_t empty_port_status = 0x7F;

    t_sim_port_backend(t_sim_card card, uint32_t reader_port, const t_sim_reader_faults& faults);

    t_port_open_result open(uint32_t base, std::string& error_text) override;
    void close() override;
    void write_data(uint8_t value) override;
    uint8_t read_status() override;
    t_wire_levels wire_levels() const override;

    const t_sim_card_reader& reader() const { return reader_; }
    // Empty unless a change of the card could not be written back to its file.
    const std::string& storage_error() const { return reader_.storage_error(); }

  private:
    t_sim_card_reader reader_;
    uint32_t reader_port_;
    bool opened_ = false;
    bool reader_attached_ = false;  // the open port is the reader's
    uint8_t empty_port_data_ = 0;   // data register of a port without reader
};

// Loads the card file and checks the options; nullptr with a Russian error text.
std::unique_ptr<t_sim_port_backend> make_sim_port_backend(const t_sim_config& config,
                                                          std::string& error_text);
