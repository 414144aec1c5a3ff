// One 24xx256-style serial EEPROM (32768 bytes) as a two-wire bus slave, following the
// chip's datasheet rather than what a master expects of it:
// - start (data falls while the clock is high) and stop (data rises while the clock is high)
//   are recognised at any moment and reset the chip's bus state;
// - device address byte 1010 A2 A1 A0 R/W; another address is not acknowledged;
// - two address bytes set the 15-bit address pointer (the top bit is ignored);
// - the chip samples the data line on the rising clock edge and changes its output only
//   after the falling edge; it drives the line low (acknowledge, 0 bits) or releases it;
// - a read sends byte after byte while the master acknowledges, the pointer wrapping from
//   0x7FFF to 0; after a byte without acknowledge the chip releases the line and waits for
//   a start or stop;
// - data bytes of a write go into a 64-byte page buffer (rolling over inside the page) and
//   are written at the stop condition, followed by a write cycle during which the chip
//   acknowledges nothing; a start before the stop discards them (the dummy write of a
//   random read);
// - without power the chip does nothing; switching the power loses the bus state, never
//   the memory.
// The reader tells the chip about line events in the order they happen on the wire.
#pragma once

#include <cstdint>

// Told when a page write has been committed to the chip's memory.
class t_eeprom_commit_sink {
  public:
    virtual ~t_eeprom_commit_sink() = default;
    // `offset` and `count` give the page, relative to the start of the chip's memory.
    virtual void eeprom_committed(int chip_index, uint32_t offset, uint32_t count) = 0;
};

class t_eeprom_chip {
  public:
    static constexpr uint32_t memory_size = 32768;
    static constexpr uint32_t page_size = 64;
    static constexpr uint64_t write_cycle_us = 5000;

    // `memory` (memory_size bytes) stays owned by the caller.
    void attach(int index, uint8_t write_address, uint8_t* memory, t_eeprom_commit_sink* sink);

    void power_on();
    void power_off();

    void start_condition();
    void stop_condition();
    // The clock rose; `data` is the data line as on the wire.
    void clock_rise(bool data) {
        if (phase_ == t_phase::receive) {
            if (bits_ < 8) {
                shift_ = static_cast<uint8_t>((shift_ << 1) | (data ? 1 : 0));
                ++bits_;
            }
        } else if (phase_ == t_phase::master_acknowledge) {
            master_acked_ = !data;
        }
    }
    void clock_fall() {
        switch (phase_) {
            case t_phase::receive:
                if (bits_ == 8) {
                    byte_received();
                }
                break;
            case t_phase::acknowledge:
                acknowledge_done();
                break;
            case t_phase::transmit:
                if (++bits_ < 8) {
                    output_high_ = ((out_byte_ >> (7 - bits_)) & 1) != 0;
                } else {
                    byte_sent();
                }
                break;
            case t_phase::master_acknowledge:
                master_acknowledge_done();
                break;
            case t_phase::idle:
                break;
        }
    }

    // False while the chip pulls the data line low.
    bool releases_line() const { return output_high_; }
    // True while the bit on the line is one the chip sends (a data bit or its acknowledge).
    bool sending() const { return phase_ == t_phase::transmit || phase_ == t_phase::acknowledge; }
    uint16_t address_pointer() const { return pointer_; }

  private:
    enum class t_phase : uint8_t {
        idle,                // waiting for a start condition
        receive,             // clocking in the bits of a byte
        acknowledge,         // driving the acknowledge of a received byte
        transmit,            // sending the bits of a byte
        master_acknowledge,  // the master answers the byte just sent
    };
    enum class t_role : uint8_t { device_address, address_high, address_low, data };

    void byte_received();
    void acknowledge_done();
    void byte_sent();
    void master_acknowledge_done();
    void begin_transmit();
    void reset_bus_state();
    bool write_cycle_busy() const;

    int index_ = 0;
    uint8_t write_address_ = 0;
    uint8_t* memory_ = nullptr;
    t_eeprom_commit_sink* sink_ = nullptr;

    t_phase phase_ = t_phase::idle;
    t_role role_ = t_role::device_address;
    bool output_high_ = true;
    bool read_mode_ = false;  // the device address asked for a read
    bool master_acked_ = false;
    uint8_t bits_ = 0;
    uint8_t shift_ = 0;
    uint8_t out_byte_ = 0;
    uint8_t address_high_ = 0;
    uint16_t pointer_ = 0;

    uint8_t page_buffer_[page_size] = {};
    uint64_t page_written_ = 0;  // bit i: page_buffer_[i] holds a received byte
    uint16_t page_base_ = 0;
    uint64_t busy_until_us_ = 0;
};
