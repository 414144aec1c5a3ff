// The options in front of the command: which port backend the card commands use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct t_cli_global_options {
    bool simulate = false;             // --simulate[=CARD_FILE]
    std::string simulate_card_file;    // empty: the demo card
    uint32_t sim_port = 0x378;         // --sim-port=ADDR: the port the simulated reader is on
    double sim_noise = 0;              // --sim-noise=P: probability of an inverted bit
    std::optional<uint64_t> sim_seed;  // --sim-seed=N
    std::optional<uint32_t> port;      // --port=ADDR; else the settings' port
    std::string bus_trace_file;        // --bus-trace=FILE.vcd
    bool help = false;                 // --help, -h
    bool version = false;              // --version
};

// The parallel-port base addresses the program may use, in scan order.
inline constexpr uint32_t cli_port_addresses[] = {0x378, 0x278, 0x3BC, 0x9800};

// Parses the global options from args[first] on, up to the first argument that is not one
// of them (the command), and returns that argument's index. Throws e_cli_usage on an
// unknown option, a bad value or a port outside the list.
size_t parse_cli_global_options(const std::vector<std::string>& args, size_t first,
                                t_cli_global_options& options);

// "0x378", "0X378" or "888"; throws e_cli_usage unless it is one of cli_port_addresses.
uint32_t parse_cli_port(const std::string& option, const std::string& text);
