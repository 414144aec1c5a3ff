// Card access: the card-access object t_hwindrv (port, two-wire bus, card power, card
// directory and cell operations) and the per-cell directory record t_cell_rec.
//
// The port itself is reached through a t_port_backend (kernel driver, ppdev, simulator),
// which the object owns. The bus protocol above it is written once, here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "card/port_backend.h"
#include "card/progress_sink.h"
#include "common/hunits/U_base_classes.h"

// Card geometry: up to six chips of 32768 bytes; cell n answers at write address
// 0xA4 + 2n (read address one above).
inline constexpr int card_max_cells = 6;
inline constexpr int32_t cell_size = 32768;
inline constexpr int signature_size = 63;
inline constexpr int signature_slot_size = 64;
inline constexpr uint8_t cell_deleted_mark = 0xAA;

constexpr uint8_t cell_slave_address(int cell) {
    return static_cast<uint8_t>(0xA4 + 2 * cell);
}

// One cell of the card directory.
class t_cell_rec {
  public:
    // Some byte of the signature is not 0xFF (a deleted mark counts).
    bool filled = false;
    // Byte 60 * 256 + byte 61; meaningful only with state 1.
    int32_t device_number = 0;
    // "2T4V", "3T3V" or "4T4V"; meaningful only with state 1.
    std::string version;
    // 0 no device data, 1 device data of a known format, 2 deleted mark.
    int32_t state = 0;
};

using t_cell_table = std::array<t_cell_rec, card_max_cells>;

class t_hwindrv : public t_h_base_class_with_text_result {
  public:
    // Without a backend every open fails with a text that says so (set one later).
    t_hwindrv();
    explicit t_hwindrv(std::unique_ptr<t_port_backend> backend);
    // Does not close an open port: the owner closes it on every path.
    ~t_hwindrv();
    t_hwindrv(const t_hwindrv&) = delete;
    t_hwindrv& operator=(const t_hwindrv&) = delete;

    // --- Port (the backend chosen at start-up) ---

    // Replaces the backend (nullptr: none); only while the port is closed.
    void set_backend(std::unique_ptr<t_port_backend> backend);
    t_port_backend& backend() const { return *backend_; }

    // Data register at `base`, status register at base + 1.
    void set_port(uint32_t base);
    uint32_t get_port_base() const { return port_base; }
    uint32_t get_status_port() const { return status_port; }
    uint32_t get_port_count() const { return port_count; }

    // Opens the port set by set_port. False leaves the port closed and the reason in the
    // error text; an address outside the card port list is refused without touching the
    // backend.
    bool open_driver();
    // Closes the port after a successful open_driver; does nothing otherwise.
    void close_driver();
    bool is_driver_open() const { return driver_open; }
    // How the last open_driver ended. A port scan moves on to the next port on
    // no_such_port and ends on failed.
    t_port_open_result last_open_result() const { return last_open; }
    bool last_open_port_missing() const { return last_open == t_port_open_result::no_such_port; }

    // One write of line_state to the data register.
    void write_data_port() { backend_->write_data(line_state); }
    // One read of the status register.
    uint8_t read_status_port() { return backend_->read_status(); }

    // The caller's progress bar for whole-cell reads (not owned; nullptr: none).
    void set_progress_bar(t_progress_sink* bar) { progress_bar = bar; }
    t_progress_sink* get_progress_bar() const { return progress_bar; }

    // --- Two-wire bus and card power ---

    // Data register bits: data line, clock line, and the two card supply bits.
    static constexpr uint8_t line_data = 0x01;
    static constexpr uint8_t line_clock = 0x02;
    static constexpr uint8_t line_power = 0x0C;
    // Status register bit that carries the data line as the card drives it.
    static constexpr uint8_t status_data_in = 0x40;
    static constexpr uint32_t power_switch_ms = 50;
    static constexpr uint32_t write_cycle_ms = 50;

    // Writes 15 (on) or 0 (off), then waits 50 ms.
    void power(bool on);
    // A busy wait of 1000 counting steps; paces the bus together with the port requests.
    static void bus_delay();
    void clock_high();
    void clock_low();
    void data_high();
    void data_low();
    void bus_start();
    // Stop condition; `wait_ms` > 0 waits with the clock high before the final clock low
    // (the chip's write cycle).
    void bus_stop(uint32_t wait_ms);
    // Sends bit 7 of shift_byte; leaves the clock high.
    void send_bit();
    // Clocks in one bit from the card into bit 0 of shift_byte.
    void receive_bit();
    // Sends eight bits, most significant first, then clocks in the chip's acknowledge bit.
    void send_byte(uint8_t value);
    uint8_t receive_byte();
    // Answers a received byte: data low (acknowledge, more bytes wanted) or data high
    // (no acknowledge).
    void send_ack();
    void send_no_ack();
    uint8_t get_line_state() const { return line_state; }

    // Reads `count` bytes from offset `offset` of the chip at write address `slave` on a
    // freshly powered card; leaves the card switched off. Checks nothing; returns 0.
    int read_array(uint8_t slave, uint16_t offset, uint8_t* buffer, uint16_t count);

    // --- Card directory ---

    // Reads the first 63 bytes of the chip at `slave` into a 64-byte signature slot.
    int read_signature(uint8_t slave, uint8_t* slot);
    // Reads and classifies every cell's signature (two agreeing reads per cell).
    // False as soon as one cell's reads disagree twice. `six_cells` is set only on a
    // complete scan; `card_has_data` is true only when the scan found something.
    bool read_card_list(t_cell_table& cells, bool& six_cells, bool& card_has_data);
    const uint8_t* primary_signature() const { return signature_slots.data(); }
    const uint8_t* secondary_signature() const {
        return signature_slots.data() + signature_slot_size;
    }

    // --- Cell operations (between the owner's power-on and power-off) ---

    // Reads the whole cell (32768 bytes) and writes a card dump file. May raise
    // e_user_break; returns true otherwise.
    bool read_cell(int cell, uint8_t* buffer);
    // Reads the cell `count` times, each read compared with the one before it.
    bool read_cell_verified(int cell, uint8_t* buffer, int count);
    // Writes the deleted mark into byte 0 and reads it back; leaves the card off.
    bool delete_cell(int cell);
    // Deletes cells 0 to 5; the error text keeps the message of the last cell that failed.
    void clear_card();

  private:
    void set_lines(uint8_t value) {
        line_state = value;
        write_data_port();
    }
    // Start, write address, offset, repeated start, read address.
    void address_for_read(uint8_t slave, uint16_t offset);
    void write_scan_log(const uint8_t* slot, int counter);
    void write_card_dump(const uint8_t* buffer);
    void classify_cell(const uint8_t* signature, t_cell_rec& rec);

    // Never null: a stand-in that refuses every open when no backend was given.
    std::unique_ptr<t_port_backend> backend_;
    t_port_open_result last_open = t_port_open_result::failed;
    bool driver_open = false;
    uint32_t port_base = 0;
    uint32_t status_port = 0;
    uint32_t port_count = 3;
    t_progress_sink* progress_bar = nullptr;
    uint8_t shift_byte = 0;
    uint8_t line_state = 0;
    // Two 64-byte slots (primary, secondary); the 64th byte of each stays zero.
    std::array<uint8_t, 2 * signature_slot_size> signature_slots{};
};
