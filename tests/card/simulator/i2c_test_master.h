// A bit-level two-wire bus master for the simulator's tests, written from the chips'
// datasheet independently of the program's card-access code. Every line change rewrites
// the whole data register, as the program does: bit 0 data (1 = released), bit 1 clock,
// bits 2 and 3 supply.
#pragma once

#include <cstdint>
#include <vector>

#include "card/port_backend.h"

class t_i2c_test_master {
  public:
    // How a sequential read ends.
    enum class t_read_end {
        // The last byte is not acknowledged, then a stop: what the datasheet asks for.
        no_ack_then_stop,
        // Every byte is acknowledged, the last one too, then one more clock with the data line
        // released and a stop written as 12, 14, 15, 13.
        ack_all_extra_bit_then_stop,
    };

    explicit t_i2c_test_master(t_port_backend& port) : port_(port) {}

    void write(uint8_t value);
    uint8_t line_state() const { return line_; }

    void power(bool on) { write(on ? 15 : 0); }
    void start();  // from the clock high or low, data released; leaves the clock low
    void stop();   // 12, 14, 15, 13
    // Leaves the clock high, like the program's bit sending.
    void send_bit(bool bit);
    bool receive_bit();
    // True when the byte was acknowledged.
    bool send_byte(uint8_t value);
    uint8_t receive_byte(bool ack);

    // Start, device address, 16-bit offset, data bytes, stop. True when every byte was
    // acknowledged.
    bool write_bytes(uint8_t slave, uint16_t offset, const std::vector<uint8_t>& data);
    // Start, dummy write of the offset, repeated start, read address, `count` bytes.
    std::vector<uint8_t> random_read(uint8_t slave, uint16_t offset, int count,
                                     t_read_end end = t_read_end::no_ack_then_stop);
    // Start, read address, `count` bytes from the chip's address pointer, no acknowledge,
    // stop.
    std::vector<uint8_t> current_address_read(uint8_t slave, int count);

    // The acknowledge bits of the last transaction, one per byte sent.
    const std::vector<bool>& acks() const { return acks_; }

  private:
    void set_clock(bool high);
    void set_data(bool high);
    std::vector<uint8_t> read_bytes(int count, t_read_end end);

    t_port_backend& port_;
    uint8_t line_ = 0;
    std::vector<bool> acks_;
};
