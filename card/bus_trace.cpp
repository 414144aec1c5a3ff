#include "card/bus_trace.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "common/hunits/h_clock.h"

namespace {

constexpr uint8_t data_bit = 0x01;
constexpr uint8_t clock_bit = 0x02;
constexpr uint8_t supply_bits = 0x0C;
constexpr uint8_t status_data_line = 0x40;

constexpr char signal_ids[] = {'!', '"', '#', '$'};
constexpr const char* signal_names[] = {"scl", "sda", "sda_host", "power"};

constexpr const char* exact_comment =
    "Simulated card reader: sda is the data line as on the wire, driven by the program and "
    "the chips together.";
constexpr const char* host_comment =
    "Real port: the data line is seen only when the program reads it. sda holds the "
    "program's own line; a status read puts the level read just before the rising clock "
    "edge it was read after, until the clock falls again.";

}  // namespace

t_bus_trace_backend::t_bus_trace_backend(std::unique_ptr<t_port_backend> inner,
                                         const t_wire_probe* probe)
    : inner_(std::move(inner)), probe_(probe) {}

t_bus_trace_backend::~t_bus_trace_backend() {
    std::string ignored;
    finish(ignored);
}

bool t_bus_trace_backend::create_file(const std::string& path, std::string& error_text) {
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        error_text = "Не удалось создать файл трассировки шины \"" + path + "\".";
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
    std::string header = "$version h_trelmo bus trace $end\n$comment ";
    header += probe_ ? exact_comment : host_comment;
    header += " $end\n$timescale 1 ns $end\n$scope module card_reader $end\n";
    for (int i = 0; i < signal_count; ++i) {
        header += std::string("$var wire 1 ") + signal_ids[i] + " " + signal_names[i] + " $end\n";
    }
    header += "$upscope $end\n$enddefinitions $end\n";
    write_failed_ = std::fputs(header.c_str(), file_) < 0;
    return true;
}

bool t_bus_trace_backend::finish(std::string& error_text) {
    if (!file_) {
        return true;
    }
    flush_held_rise();
    // A closing time stamp, so that viewers show the last levels for a while.
    if (any_stamp_) {
        std::fprintf(file_, "#%llu\n", static_cast<unsigned long long>(last_time_ + 1000));
    }
    const bool ok = !write_failed_ && std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok || !closed) {
        error_text = "Не удалось полностью записать файл трассировки шины \"" + path_ + "\".";
        return false;
    }
    return true;
}

uint64_t t_bus_trace_backend::next_time() {
    last_time_ = std::max(h_clock().now_us() * 1000, last_time_ + 1);
    return last_time_;
}

void t_bus_trace_backend::set(t_signal signal, bool level, uint64_t time) {
    const char c = level ? '1' : '0';
    if (!file_ || level_[signal] == c) {
        return;
    }
    level_[signal] = c;
    char line[32];
    char* p = line;
    if (!any_stamp_ || time != stamped_time_) {
        *p++ = '#';
        p = std::to_chars(p, line + sizeof line, time).ptr;
        *p++ = '\n';
        stamped_time_ = time;
        any_stamp_ = true;
    }
    *p++ = c;
    *p++ = signal_ids[signal];
    *p++ = '\n';
    if (std::fwrite(line, 1, static_cast<size_t>(p - line), file_) !=
        static_cast<size_t>(p - line)) {
        write_failed_ = true;
    }
}

void t_bus_trace_backend::flush_held_rise() {
    if (rise_held_) {
        rise_held_ = false;
        set(sig_clock, true, held_rise_time_);
    }
}

t_port_open_result t_bus_trace_backend::open(uint32_t base, std::string& error_text) {
    return inner_->open(base, error_text);
}

void t_bus_trace_backend::close() {
    inner_->close();
}

void t_bus_trace_backend::write_data(uint8_t value) {
    inner_->write_data(value);
    if (probe_) {
        trace_exact();
    } else {
        trace_host_write(value);
    }
}

uint8_t t_bus_trace_backend::read_status() {
    const uint8_t status = inner_->read_status();
    if (!probe_) {
        trace_host_read(status);
    }
    // A simulated reader's lines do not change when read.
    return status;
}

void t_bus_trace_backend::trace_exact() {
    const t_wire_levels now = probe_->wire_levels();
    const uint64_t t = next_time();
    const char clock_was = level_[sig_clock];
    set(sig_power, now.power, t);
    const bool clock_changes = clock_was != (now.clock ? '1' : '0');
    if (clock_changes && clock_was != 'x' &&
        (level_[sig_data] != (now.data ? '1' : '0') ||
         level_[sig_data_host] != (now.data_host ? '1' : '0'))) {
        // Clock and data in one write: the data change belongs to the clock-low side.
        last_time_ = t + 1;
        const uint64_t data_time = now.clock ? t : t + 1;
        const uint64_t clock_time = now.clock ? t + 1 : t;
        if (!now.clock) {
            set(sig_clock, false, clock_time);
        }
        set(sig_data_host, now.data_host, data_time);
        set(sig_data, now.data, data_time);
        if (now.clock) {
            set(sig_clock, true, clock_time);
        }
        return;
    }
    set(sig_clock, now.clock, t);
    set(sig_data_host, now.data_host, t);
    set(sig_data, now.data, t);
}

void t_bus_trace_backend::trace_host_write(uint8_t value) {
    flush_held_rise();
    const bool clock = (value & clock_bit) != 0;
    const bool host = (value & data_bit) != 0;
    const uint64_t t = next_time();
    set(sig_power, (value & supply_bits) == supply_bits, t);
    const bool host_changes = level_[sig_data_host] != (host ? '1' : '0');
    if (clock && level_[sig_clock] == '0') {
        // The rise waits: a status read that follows puts its level before it.
        if (host_changes) {
            set(sig_data_host, host, t);
            set(sig_data, host, t);
        }
        rise_held_ = true;
        held_rise_time_ = t + 2;
        last_time_ = held_rise_time_;
        return;
    }
    const bool clock_falls = !clock && level_[sig_clock] == '1';
    set(sig_clock, clock, t);
    // After a falling clock a chip may have changed its output: what is known again is only
    // the program's own line.
    if (host_changes || clock_falls) {
        const uint64_t data_time = clock_falls ? t + 1 : t;
        last_time_ = std::max(last_time_, data_time);
        set(sig_data_host, host, data_time);
        set(sig_data, host, data_time);
    }
}

void t_bus_trace_backend::trace_host_read(uint8_t status) {
    const bool level = (status & status_data_line) != 0;
    if (rise_held_) {
        set(sig_data, level, held_rise_time_ - 1);
        flush_held_rise();
        return;
    }
    set(sig_data, level, next_time());
}

std::unique_ptr<t_bus_trace_backend> make_bus_trace(std::unique_ptr<t_port_backend> inner,
                                                    const std::string& path,
                                                    std::string& error_text) {
    const t_wire_probe* probe = dynamic_cast<const t_wire_probe*>(inner.get());
    auto trace = std::make_unique<t_bus_trace_backend>(std::move(inner), probe);
    if (!trace->create_file(path, error_text)) {
        return nullptr;
    }
    return trace;
}
