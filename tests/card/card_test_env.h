// Test helpers of card access: a backend that records every port request, a decoder that
// turns the recorded line values back into bus events, and a fixture with the program's
// folders and a log whose group-1 lines the test can read.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "card/U_wincard_work.h"
#include "card/port_backend.h"
#include "common/hunits/uhlog.h"
#include "support/test_env.h"

// Records opens, closes, data writes and status reads, with the virtual time slept before
// each; answers status reads from `status` (default: the data line high, as with no chip).
class t_recording_backend : public t_port_backend {
  public:
    struct t_event {
        bool read;      // false: a write of `value`
        uint8_t value;  // written value, or the status answered
        uint64_t slept_ms;
    };

    explicit t_recording_backend(t_virtual_clock& clock) : clock(clock) {}

    t_port_open_result open(uint32_t base, std::string& error_text) override {
        ++opens;
        opened_bases.push_back(base);
        if (open_result != t_port_open_result::opened) {
            error_text = open_error;
        }
        return open_result;
    }
    void close() override { ++closes; }
    void write_data(uint8_t value) override {
        clock.advance_us(us_per_request);
        ++write_count;
        if (keep_events) {
            events.push_back({false, value, clock.total_slept_ms()});
        }
    }
    uint8_t read_status() override {
        clock.advance_us(us_per_request);
        const uint8_t answer = status ? status(read_count) : 0x78;
        ++read_count;
        if (keep_events) {
            events.push_back({true, answer, clock.total_slept_ms()});
        }
        return answer;
    }

    // The values written, in order.
    std::vector<int> written() const;

    t_port_open_result open_result = t_port_open_result::opened;
    std::string open_error;
    // The status answer to read number n (from 0); unset: 0x78, the data line high.
    std::function<uint8_t(uint64_t n)> status;
    // Whole-cell reads are long: they may skip the event list and advance the clock
    // like a real port request.
    bool keep_events = true;
    uint64_t us_per_request = 0;

    uint64_t write_count = 0;
    uint64_t read_count = 0;

    std::vector<t_event> events;
    int opens = 0;
    int closes = 0;
    std::vector<uint32_t> opened_bases;

  private:
    t_virtual_clock& clock;
};

// The bus events of recorded requests, blank-separated:
//   on / off     card supply switched on / a write of 0 (supply off)
//   ~N           N ms slept before the next request (or after the last one), counted
//                from the first recorded request
//   S / P        start / stop condition (data falls / rises while the clock stays high; a
//                write that changes clock and data together counts the data change as
//                made while the clock is low)
//   W:XX         a byte sent by the program, with the chip's acknowledge bit clocked in
//   R            a byte received (eight bits, each with a status read)
//   A / N        the program's answer to a received byte: acknowledge / no acknowledge
//   b0 / b1      a lone bit the program drives (e.g. before a stop)
std::string decode_bus(const std::vector<t_recording_backend::t_event>& events,
                       uint64_t slept_at_end);

// A progress bar that remembers what it was told.
class t_counting_progress : public t_progress_sink {
  public:
    void set_max_position(int32_t value) override { max = value; }
    void set_position(int32_t value) override { position = value; }
    void step_position(int32_t delta) override { position += delta; }
    int32_t max = -1;
    int32_t position = 0;
};

class t_card_test_env : public t_test_env {
  protected:
    t_card_test_env();
    ~t_card_test_env() override;

    // The log lines written since the start, without their time: "[i]\ttext".
    std::vector<std::string> log_lines();
    // Makes a t_hwindrv on a recording backend; `recorder` points at that backend.
    std::unique_ptr<t_hwindrv> make_recorded_drv();

    t_hlog log;
    std::string log_name;
    t_recording_backend* recorder = nullptr;
};
