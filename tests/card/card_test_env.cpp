#include "card_test_env.h"

#include <filesystem>
#include <sstream>

#include "app/U_program_start.h"
#include "common/hunits/cp1251.h"
#include "common/hunits/uhFuncs.h"

std::vector<int> t_recording_backend::written() const {
    std::vector<int> values;
    for (const t_event& e : events) {
        if (!e.read) {
            values.push_back(e.value);
        }
    }
    return values;
}

namespace {

// One clock-high phase: the bit the program drove and whether the status was read.
struct t_clocked_bit {
    int driven;
    bool read;
};

class t_bus_decoder {
  public:
    explicit t_bus_decoder(uint64_t slept_at_start) : slept_so_far(slept_at_start) {}

    std::string finish(uint64_t slept_at_end) {
        flush_bits();
        note_sleep(slept_at_end);
        return out.str().empty() ? "" : out.str().substr(1);
    }

    void add(const t_recording_backend::t_event& e) {
        note_sleep(e.slept_ms);
        if (e.read) {
            if (clock_high && bit_in_high_phase) {
                bits.back().read = true;
            }
            return;
        }
        const bool powered = (e.value & 0x0C) == 0x0C;
        const bool clock = e.value & 0x02;
        const int data = e.value & 0x01;
        if (static_cast<int>(powered) != was_powered || e.value == 0) {
            flush_bits();
            emit(powered ? "on" : "off");
            was_powered = powered;
            bit_in_high_phase = false;
            clock_high = clock;
            line = data;
            return;
        }
        if (clock_high && clock && data != line) {
            // The clock pulse of a start or stop condition carries no bit.
            if (bit_in_high_phase) {
                bits.pop_back();
                bit_in_high_phase = false;
            }
            flush_bits();
            emit(data ? "P" : "S");
        } else if (!clock_high && clock) {
            bits.push_back({data, false});
            bit_in_high_phase = true;
        } else if (!clock) {
            bit_in_high_phase = false;
        }
        clock_high = clock;
        line = data;
    }

  private:
    void note_sleep(uint64_t slept) {
        if (slept != slept_so_far) {
            flush_bits();
            emit("~" + std::to_string(slept - slept_so_far));
            slept_so_far = slept;
        }
    }

    void emit(const std::string& token) { out << ' ' << token; }

    // Groups the clocked bits since the last condition into bytes of nine bits.
    void flush_bits() {
        size_t i = 0;
        for (; i + 9 <= bits.size(); i += 9) {
            bool all_read = true;
            int value = 0;
            for (size_t k = i; k < i + 8; ++k) {
                all_read = all_read && bits[k].read;
                value = value * 2 + bits[k].driven;
            }
            const t_clocked_bit& ninth = bits[i + 8];
            if (all_read) {
                emit("R");
                emit(ninth.driven ? "N" : "A");
            } else {
                char text[8];
                std::snprintf(text, sizeof text, "W:%02X", value);
                emit(ninth.read ? text : std::string(text) + "?");
            }
        }
        for (; i < bits.size(); ++i) {
            emit(std::string(bits[i].read ? "r" : "b") + std::to_string(bits[i].driven));
        }
        bits.clear();
    }

    std::ostringstream out;
    std::vector<t_clocked_bit> bits;
    int was_powered = -1;  // unknown before the first write
    bool clock_high = false;
    bool bit_in_high_phase = false;
    int line = 0;
    uint64_t slept_so_far;
};

}  // namespace

std::string decode_bus(const std::vector<t_recording_backend::t_event>& events,
                       uint64_t slept_at_end) {
    t_bus_decoder decoder(events.empty() ? slept_at_end : events.front().slept_ms);
    for (const auto& e : events) {
        decoder.add(e);
    }
    return decoder.finish(slept_at_end);
}

t_card_test_env::t_card_test_env() {
    std::error_code ec;
    std::filesystem::create_directories(program_bin_dir(), ec);
    log_name = temp.file("card.log");
    log.set_log_file_name(log_name);
    log.open_log_file();
    log.set_file_out(true);
    // Only group 1 reaches the file (as after construction): the card lines must use it.
    log.set_log_group(0, false);
    log.set_log_group(1, true);
    hlog = &log;
}

t_card_test_env::~t_card_test_env() {
    hlog = nullptr;
}

std::vector<std::string> t_card_test_env::log_lines() {
    log.flush_log_buffer();
    std::istringstream in(cp1251_to_utf8(read_file_bytes(log_name)));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t tab = line.find('\t');
        lines.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    return lines;
}

std::unique_ptr<t_hwindrv> t_card_test_env::make_recorded_drv() {
    auto backend = std::make_unique<t_recording_backend>(clock);
    recorder = backend.get();
    return std::make_unique<t_hwindrv>(std::move(backend));
}
