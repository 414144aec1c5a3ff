// The card-access object's bus: port requests per second through t_hwindrv with a
// do-nothing backend (the object's own cost) and with the simulated card, and one
// verified whole-cell read (two reads of 32768 bytes) on the simulated card.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/U_program_start.h"
#include "card/U_wincard_work.h"
#include "card/simulator/sim_port_backend.h"
#include "common/hunits/h_clock.h"
#include "progress/Dh_work_control.h"

namespace {

class t_null_backend : public t_port_backend {
  public:
    t_port_open_result open(uint32_t, std::string&) override { return t_port_open_result::opened; }
    void close() override {}
    void write_data(uint8_t value) override { benchmark::DoNotOptimize(value); }
    uint8_t read_status() override { return 0x78; }
};

std::unique_ptr<t_sim_port_backend> make_sim_card() {
    t_sim_card card;
    card.bytes.assign(6 * sim_cell_size, 0x01);
    return std::make_unique<t_sim_port_backend>(std::move(card), sim_default_port,
                                                t_sim_reader_faults{});
}

// A drv on the port 0x378, opened and powered, addressed for reading cell 0.
std::unique_ptr<t_hwindrv> open_for_reading(std::unique_ptr<t_port_backend> backend) {
    auto drv = std::make_unique<t_hwindrv>(std::move(backend));
    drv->set_port(0x378);
    drv->open_driver();
    drv->power(true);
    drv->bus_start();
    drv->send_byte(0xA4);
    drv->send_byte(0);
    drv->send_byte(0);
    drv->bus_start();
    drv->send_byte(0xA5);
    return drv;
}

constexpr int requests_per_received_byte = 43;

// Bytes as a whole-cell read receives them: eight bits with a bus_delay each, the answer.
void receive_bytes(benchmark::State& state, t_hwindrv& drv) {
    unsigned sum = 0;
    for (auto _ : state) {
        sum += drv.receive_byte();
        drv.send_ack();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * requests_per_received_byte);
    state.SetLabel("items = port requests");
}

void BM_bus_requests_null_backend(benchmark::State& state) {
    t_virtual_clock clock;
    set_h_clock(&clock);
    auto drv = open_for_reading(std::make_unique<t_null_backend>());
    receive_bytes(state, *drv);
    set_h_clock(nullptr);
}
BENCHMARK(BM_bus_requests_null_backend);

// The request itself without the bus delays: a line change.
void BM_line_change_null_backend(benchmark::State& state) {
    t_hwindrv drv(std::make_unique<t_null_backend>());
    for (auto _ : state) {
        drv.clock_high();
        drv.clock_low();
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetLabel("items = port requests");
}
BENCHMARK(BM_line_change_null_backend);

void BM_bus_requests_simulator(benchmark::State& state) {
    t_virtual_clock clock;
    set_h_clock(&clock);
    auto drv = open_for_reading(make_sim_card());
    receive_bytes(state, *drv);
    set_h_clock(nullptr);
}
BENCHMARK(BM_bus_requests_simulator);

// Dump files go to a folder of its own, removed afterwards.
class t_bench_folder {
  public:
    t_bench_folder() {
        path = std::filesystem::temp_directory_path() / "h_trelmo_bench_bus";
        std::filesystem::create_directories(path);
        setenv("H_SYSTEM_DIR", path.string().c_str(), 1);
        std::filesystem::create_directories(program_logs_dir());
    }
    ~t_bench_folder() {
        unsetenv("H_SYSTEM_DIR");
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }

  private:
    std::filesystem::path path;
};

void BM_verified_cell_read_simulator(benchmark::State& state) {
    t_bench_folder folder;
    t_virtual_clock clock;
    set_h_clock(&clock);
    t_hwindrv drv(make_sim_card());
    drv.set_port(0x378);
    drv.open_driver();
    drv.power(true);
    std::vector<uint8_t> buffer(cell_size);
    enable_work();
    for (auto _ : state) {
        if (!drv.read_cell_verified(0, buffer.data(), 2)) {
            state.SkipWithError("the two reads differ");
            break;
        }
    }
    set_h_clock(nullptr);
}
BENCHMARK(BM_verified_cell_read_simulator)->Unit(benchmark::kMillisecond);

}  // namespace
