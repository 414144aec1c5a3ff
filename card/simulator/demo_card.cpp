#include "card/simulator/demo_card.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "card/simulator/card_image.h"
#include "card/simulator/device_value_encoding.h"
#include "card/simulator/sim_random.h"
#include "common/hunits/h_clock.h"

namespace {

constexpr uint32_t header_size = 64;
constexpr uint32_t slot_size = 32;
constexpr uint32_t slot_count = (sim_cell_size - header_size) / slot_size;  // 1022
constexpr double pi = 3.14159265358979323846;

constexpr uint8_t format_2t4v = 0xFF;
constexpr uint8_t format_3t3v = 0xAA;
constexpr uint8_t format_4t4v = 0xA8;
constexpr uint8_t deleted_mark = 0xAA;

// What a heat meter has measured up to some hour.
struct t_meter {
    double energy = 0;               // Gcal, heating circuit
    double energy2 = 0;              // Gcal, second circuit (4T4V)
    std::array<double, 4> volume{};  // m³: supply, return, then hot and cold water (or the
                                     // second circuit's supply and return for 4T4V)
};

// One hour's readings.
struct t_hour {
    t_local_time time;
    double t_supply, t_return, t_cold;  // °C
    double t_supply2, t_return2;        // °C, second circuit
    uint8_t internal_temperature_raw;   // aux1 + 103
    uint8_t battery_raw;                // aux2 / 0.0214647888
};

class t_cell_writer {
  public:
    explicit t_cell_writer(uint8_t* cell) : cell_(cell) {}
    template <size_t n>
    void put(uint32_t offset, const std::array<uint8_t, n>& bytes) {
        std::copy(bytes.begin(), bytes.end(), cell_ + offset);
    }
    void put(uint32_t offset, uint8_t byte) { cell_[offset] = byte; }

  private:
    uint8_t* cell_;
};

std::array<uint8_t, 3> encode_times_k(double value) {
    return encode_device_float3(value / device_k_factor);
}

// Slot layout of one record, by format (bytes 4 ... 29; 0 ... 3 date, 30 and 31 aux).
void write_values(t_cell_writer& w, uint32_t slot, uint8_t format, const t_meter& m,
                  const t_hour& h) {
    switch (format) {
        case format_2t4v:
            w.put(slot + 4, encode_device_float4(m.energy));
            w.put(slot + 8, encode_device_float3(h.t_supply));
            w.put(slot + 11, encode_device_float3(h.t_return));
            for (int i = 0; i < 4; ++i) {
                w.put(slot + 14 + 4 * i, encode_device_float4(m.volume[i]));
            }
            break;
        case format_3t3v:
            w.put(slot + 4, encode_device_float4(m.energy));
            w.put(slot + 8, encode_scaled16(h.t_supply));
            w.put(slot + 10, encode_scaled16(h.t_return));
            w.put(slot + 12, encode_scaled16(h.t_cold));
            for (int i = 0; i < 4; ++i) {
                w.put(slot + 14 + 4 * i, encode_device_float4(m.volume[i]));
            }
            break;
        case format_4t4v:
            w.put(slot + 4, encode_times_k(m.energy));
            w.put(slot + 7, encode_scaled16(h.t_supply));
            w.put(slot + 9, encode_scaled16(h.t_return));
            w.put(slot + 11, encode_times_k(m.volume[0]));
            w.put(slot + 14, encode_times_k(m.volume[1]));
            w.put(slot + 17, encode_times_k(m.energy2));
            w.put(slot + 20, encode_scaled16(h.t_supply2));
            w.put(slot + 22, encode_scaled16(h.t_return2));
            w.put(slot + 24, encode_times_k(m.volume[2]));
            w.put(slot + 27, encode_times_k(m.volume[3]));
            break;
    }
}

double clamp(double value, double low, double high) {
    return std::min(std::max(value, low), high);
}

// The readings of hour `k` after the start; `weather` is the device's own daily swing.
t_hour make_hour(t_sim_random& random, const t_local_time& start, int k, double weather) {
    t_hour h;
    h.time = from_ole_date(to_ole_date(start) + k / 24.0);
    const double day = k / 24.0;
    const double hour_wave = std::sin(2 * pi * (h.time.hour - 9) / 24.0);
    const double day_wave = std::sin(2 * pi * day / weather);
    h.t_supply = clamp(75 + 8 * day_wave + 3 * hour_wave + random.uniform(-1.5, 1.5), 60.5, 89.5);
    h.t_return = clamp(h.t_supply - random.uniform(18, 28), 40.5, 59.5);
    h.t_cold = clamp(9 + 3 * day_wave + random.uniform(-0.5, 0.5), 5, 15);
    h.t_supply2 = clamp(h.t_supply - 15 + random.uniform(-1, 1), 50.5, 69.5);
    h.t_return2 = clamp(h.t_supply2 - random.uniform(15, 22), 30.5, 44.5);
    h.internal_temperature_raw = static_cast<uint8_t>(103 + 18 + random.integer(0, 6));
    h.battery_raw = static_cast<uint8_t>(random.integer(164, 169));  // about 3.5 ... 3.6 V
    return h;
}

void advance_meter(t_sim_random& random, t_meter& m, const t_hour& h) {
    const double flow = 2.0 + 0.8 * std::sin(2 * pi * (h.time.hour - 6) / 24.0) +
                        random.uniform(-0.3, 0.3);  // m³ in the hour
    m.volume[0] += flow;
    m.volume[1] += flow * random.uniform(0.97, 0.995);
    const double flow2 = random.uniform(0.5, 1.2);
    m.volume[2] += flow2;
    m.volume[3] += flow2 * random.uniform(0.2, 0.5);
    m.energy += flow * (h.t_supply - h.t_return) * 0.001;
    m.energy2 += flow2 * (h.t_supply2 - h.t_return2) * 0.001;
}

struct t_device_plan {
    uint8_t format;
    int hours;  // more than slot_count: the ring of slots has wrapped
};

uint16_t make_device_number(t_sim_random& random) {
    for (;;) {
        const auto n = static_cast<uint16_t>(random.integer(1001, 59999));
        if ((n >> 8) != 0 && (n & 0xFF) != 0) {
            return n;
        }
    }
}

void write_device(t_sim_random& random, uint8_t* cell, const t_device_plan& plan) {
    t_cell_writer w(cell);
    const t_local_time start{static_cast<int>(random.integer(2010, 2014)),
                             static_cast<int>(random.integer(1, 12)),
                             static_cast<int>(random.integer(1, 28)),
                             static_cast<int>(random.integer(0, 23)),
                             0,
                             0,
                             0};
    const double weather = random.uniform(5, 12);  // days of a warm/cold spell
    t_meter m;
    m.energy = random.uniform(100, 3000);
    m.energy2 = random.uniform(50, 800);
    m.volume = {random.uniform(1000, 20000), 0, random.uniform(200, 3000), 0};
    m.volume[1] = m.volume[0] * random.uniform(0.97, 0.99);
    m.volume[3] = m.volume[2] * random.uniform(0.3, 0.5);

    t_hour h{};
    for (int k = 0; k < plan.hours; ++k) {
        h = make_hour(random, start, k, weather);
        advance_meter(random, m, h);
        const uint32_t slot = header_size + static_cast<uint32_t>(k) % slot_count * slot_size;
        w.put(slot + 0, static_cast<uint8_t>(h.time.day));
        w.put(slot + 1, static_cast<uint8_t>(h.time.month));
        w.put(slot + 2, static_cast<uint8_t>(h.time.year - 2000));
        w.put(slot + 3, static_cast<uint8_t>(h.time.hour));
        write_values(w, slot, plan.format, m, h);
        w.put(slot + 30, h.internal_temperature_raw);
        w.put(slot + 31, h.battery_raw);
    }

    // Header: the device's settings and its totals at the time of the last record.
    w.put(0, static_cast<uint8_t>(random.integer(0x10, 0x1F)));  // device model byte
    w.put(1, 0x00);
    w.put(2, encode_device_float4(0.01));  // pulse weights of the flow meters, m³
    w.put(6, encode_device_float4(0.01));
    w.put(10, encode_device_float4(1.0));
    w.put(14, h.internal_temperature_raw);
    w.put(15, h.battery_raw);
    w.put(16, encode_device_float4(m.energy));
    for (int i = 0; i < 4; ++i) {
        w.put(20 + 4 * i, encode_device_float4(m.volume[i]));
    }
    w.put(36, encode_device_float4(random.integer(8000, 40000) + plan.hours));  // hours run
    w.put(40, encode_device_float4(50));  // pipe diameters, mm
    w.put(44, encode_device_float4(32));
    w.put(48, encode_device_float4(1.0));
    w.put(52, 0x03);  // firmware 1.03, little-endian
    w.put(53, 0x01);
    const uint16_t number = make_device_number(random);
    w.put(60, static_cast<uint8_t>(number >> 8));
    w.put(61, static_cast<uint8_t>(number));
    w.put(62, plan.format);
}

}  // namespace

std::vector<uint8_t> make_demo_card_image(int cells, uint64_t seed) {
    if (cells != 3 && cells != 6) {
        throw std::invalid_argument("make_demo_card_image: the card has 3 or 6 cells");
    }
    std::vector<uint8_t> image(static_cast<size_t>(cells) * sim_cell_size, 0xFF);
    t_sim_random random(seed);
    auto cell = [&image](int n) { return image.data() + static_cast<size_t>(n) * sim_cell_size; };
    auto weeks = [&random]() { return 24 * 7 * static_cast<int>(random.integer(3, 6)); };

    const int device_cells[3] = {0, 1, cells == 6 ? 3 : 2};
    write_device(random, cell(device_cells[0]), {format_2t4v, weeks()});
    write_device(random, cell(device_cells[1]),
                 {format_3t3v, static_cast<int>(slot_count + random.integer(100, 600))});
    write_device(random, cell(device_cells[2]), {format_4t4v, weeks()});
    if (cells == 6) {
        write_device(random, cell(4), {format_2t4v, weeks()});
        cell(4)[0] = deleted_mark;
    }
    return image;
}
