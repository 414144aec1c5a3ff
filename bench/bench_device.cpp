// Device data: decoding a full cell, turning it into the data file's bytes, saving and
// loading that file, and comparing two such files.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "device/U_kalden_common.h"
#include "device/cell_image_builder.h"
#include "device/data_file_compare.h"

namespace {

namespace fs = std::filesystem;

const std::vector<uint8_t>& full_cell() {
    static const std::vector<uint8_t> cell = make_full_cell(record_format_4t4v, 1);
    return cell;
}

// A folder of its own for the files, removed at exit.
class t_bench_dir {
  public:
    t_bench_dir()
        : path_(fs::temp_directory_path() / ("h_trelmo_bench_" + std::to_string(getpid()))) {
        fs::create_directories(path_);
    }
    ~t_bench_dir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

t_bench_dir& bench_dir() {
    static t_bench_dir dir;
    return dir;
}

void decode_full_cell(benchmark::State& state) {
    const bool daily = state.range(0) != 0;
    for (auto _ : state) {
        t_zor73_process p;
        p.decode_cell(full_cell(), daily);
        benchmark::DoNotOptimize(p.records.data());
    }
}
BENCHMARK(decode_full_cell)->ArgName("daily")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void decode_daily_to_file_bytes(benchmark::State& state) {
    for (auto _ : state) {
        t_zor73_process p;
        p.decode_cell(full_cell(), true);
        const std::vector<uint8_t> bytes = encode_data_file(p);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(decode_daily_to_file_bytes)->Unit(benchmark::kMicrosecond);

void encode_hourly_archive(benchmark::State& state) {
    t_zor73_process p;
    p.decode_cell(full_cell(), false);
    for (auto _ : state) {
        const std::vector<uint8_t> bytes = encode_data_file(p);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(encode_hourly_archive)->Unit(benchmark::kMicrosecond);

void save_hourly_archive(benchmark::State& state) {
    t_zor73_process p;
    p.decode_cell(full_cell(), false);
    const std::string path = bench_dir().file("saved.z7m");
    for (auto _ : state) {
        if (!p.save_to_file(path)) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(save_hourly_archive)->Unit(benchmark::kMicrosecond);

const std::string& saved_archive(const std::string& name, uint32_t seed) {
    static std::string paths[2];
    std::string& path = paths[seed % 2];
    if (path.empty()) {
        t_zor73_process p;
        p.decode_cell(make_full_cell(record_format_4t4v, seed), false);
        path = bench_dir().file(name);
        p.save_to_file(path);
    }
    return path;
}

void load_hourly_archive(benchmark::State& state) {
    const std::string& path = saved_archive("first.z7m", 1);
    for (auto _ : state) {
        t_zor73_process p;
        if (!p.load_from_file(path)) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(p.records.data());
    }
}
BENCHMARK(load_hourly_archive)->Unit(benchmark::kMicrosecond);

// Two full archives: equal (a file and its copy: no line per record) and different in every
// record (a line for each).
void compare_full_archives(benchmark::State& state) {
    const bool all_differ = state.range(0) != 0;
    const std::string& first = saved_archive("first.z7m", 1);
    const std::string& second = all_differ ? saved_archive("second.z7m", 2) : first;
    for (auto _ : state) {
        const t_compare_result result = compare_data_files(first, second);
        benchmark::DoNotOptimize(result.lines.data());
    }
}
BENCHMARK(compare_full_archives)
    ->ArgName("all_records_differ")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
