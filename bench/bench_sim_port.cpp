// Simulated port requests per second: a sequential read from the simulated card, each
// byte clocked in as the program does it (43 requests), bare and through the bus trace.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "card/bus_trace.h"
#include "card/simulator/sim_port_backend.h"
#include "common/hunits/h_clock.h"

namespace {

std::unique_ptr<t_sim_port_backend> make_card() {
    t_sim_card card;
    card.bytes.assign(6 * sim_cell_size, 0x5A);
    return std::make_unique<t_sim_port_backend>(std::move(card), sim_default_port,
                                                t_sim_reader_faults{});
}

void send_byte(t_port_backend& port, uint8_t value) {
    for (int i = 7; i >= 0; --i) {
        const uint8_t bit = (value >> i) & 1;
        port.write_data(12 | bit);
        port.write_data(14 | bit);
    }
    port.write_data(12);
    port.write_data(13);
    port.write_data(15);
    port.read_status();
    port.write_data(13);
}

// Start, address 0 of cell 0 for reading; the chip then sends byte after byte.
void begin_read(t_port_backend& port) {
    std::string error;
    port.open(sim_default_port, error);
    port.write_data(15);
    port.write_data(14);
    port.write_data(12);
    send_byte(port, 0xA4);
    send_byte(port, 0);
    send_byte(port, 0);
    port.write_data(15);
    port.write_data(14);
    port.write_data(12);
    send_byte(port, 0xA5);
}

constexpr int requests_per_byte = 43;

void read_bytes(benchmark::State& state, t_port_backend& port) {
    unsigned sum = 0;
    for (auto _ : state) {
        uint8_t value = 0;
        for (int i = 0; i < 8; ++i) {
            port.write_data(12);
            port.write_data(13);
            port.write_data(15);
            value = static_cast<uint8_t>((value << 1) | ((port.read_status() >> 6) & 1));
            port.write_data(13);
        }
        port.write_data(13);
        port.write_data(12);
        port.write_data(14);
        sum += value;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * requests_per_byte);
    state.SetLabel("items = port requests");
}

void BM_sim_port_requests(benchmark::State& state) {
    t_virtual_clock clock;
    set_h_clock(&clock);
    auto port = make_card();
    begin_read(*port);
    read_bytes(state, *port);
    set_h_clock(nullptr);
}
BENCHMARK(BM_sim_port_requests);

void BM_sim_port_requests_traced(benchmark::State& state) {
    t_virtual_clock clock;
    set_h_clock(&clock);
    std::string error;
    auto port = make_bus_trace(make_card(), "/dev/null", error);
    begin_read(*port);
    read_bytes(state, *port);
    port.reset();
    set_h_clock(nullptr);
}
BENCHMARK(BM_sim_port_requests_traced);

}  // namespace
