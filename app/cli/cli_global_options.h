// The options in front of the command: which port backend the card commands use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/U_port_choice.h"

struct t_cli_global_options {
    // --simulate[=CARD_FILE], --sim-port, --sim-noise, --sim-seed (as the window reads them)
    t_port_choice port_choice;
    std::optional<uint32_t> port;  // --port=ADDR; else the settings' port
    std::string bus_trace_file;    // --bus-trace=FILE.vcd
    bool help = false;             // --help, -h
    bool version = false;          // --version
};

// Parses the global options from args[first] on, up to the first argument that is not one
// of them (the command), and returns that argument's index. Throws e_cli_usage on an
// unknown option, a bad value or a port outside the list.
size_t parse_cli_global_options(const std::vector<std::string>& args, size_t first,
                                t_cli_global_options& options);

// "0x378", "0X378" or "888"; throws e_cli_usage unless it is a port of the list.
uint32_t parse_cli_port(const std::string& option, const std::string& text);
