// The bus trace: a port backend decorator that writes every line change of the card
// reader -- clock, data line, supply -- as a Value Change Dump (timescale 1 ns, time of the
// clock seam) that logic-analyser software opens and decodes as I2C.
//
// With a simulated reader (a backend that is also a t_wire_probe) the trace holds the exact
// wire: the data line as the program and the chips drive it together. A real port shows the
// data line only when the program reads it; there the trace records the program's own line
// changes and, at each status read, the level read, placed just before the rising clock edge
// it belongs to and kept until the clock falls. The file's header comment says which of the
// two it is.
//
// Signals: scl, sda (the data line), sda_host (the program's own data line), power.
// Where one register write changes clock and data together, the trace puts the data change
// on the clock-low side, 1 ns apart, as the simulator treats it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "card/port_backend.h"

struct t_wire_levels {
    bool clock = false;
    bool data = false;       // as on the wire
    bool data_host = false;  // as the program drives it
    bool power = false;
};

// A backend that can tell the exact state of the lines after each request.
class t_wire_probe {
  public:
    virtual ~t_wire_probe() = default;
    virtual t_wire_levels wire_levels() const = 0;
};

class t_bus_trace_backend : public t_port_backend {
  public:
    // `probe`: the exact wire of `inner`, or nullptr for a real port.
    t_bus_trace_backend(std::unique_ptr<t_port_backend> inner, const t_wire_probe* probe);
    ~t_bus_trace_backend() override;
    t_bus_trace_backend(const t_bus_trace_backend&) = delete;
    t_bus_trace_backend& operator=(const t_bus_trace_backend&) = delete;

    // Creates the trace file and writes its header; false with a Russian error text.
    bool create_file(const std::string& path, std::string& error_text);
    // Writes out the rest and closes the file; false with a Russian error text when some
    // of the trace could not be written. Also done by the destructor.
    bool finish(std::string& error_text);

    t_port_backend& inner() { return *inner_; }

    t_port_open_result open(uint32_t base, std::string& error_text) override;
    void close() override;
    void write_data(uint8_t value) override;
    uint8_t read_status() override;

  private:
    enum t_signal : int { sig_clock, sig_data, sig_data_host, sig_power, signal_count };

    uint64_t next_time();
    void set(t_signal signal, bool level, uint64_t time);
    void flush_held_rise();
    void trace_exact();
    void trace_host_write(uint8_t value);
    void trace_host_read(uint8_t status);

    std::unique_ptr<t_port_backend> inner_;
    const t_wire_probe* probe_;
    std::FILE* file_ = nullptr;
    std::string path_;
    bool write_failed_ = false;

    char level_[signal_count] = {'x', 'x', 'x', 'x'};
    uint64_t last_time_ = 0;     // the latest time stamp reserved
    uint64_t stamped_time_ = 0;  // the latest "#time" line written
    bool any_stamp_ = false;
    // Real port: a rising clock is written only when it is known whether a status read
    // follows, so that the level read can go before it.
    bool rise_held_ = false;
    uint64_t held_rise_time_ = 0;
};

// Wraps `inner` in a trace written to `path`; exact when `inner` is a t_wire_probe.
// nullptr with a Russian error text when the file cannot be created.
std::unique_ptr<t_bus_trace_backend> make_bus_trace(std::unique_ptr<t_port_backend> inner,
                                                    const std::string& path,
                                                    std::string& error_text);
