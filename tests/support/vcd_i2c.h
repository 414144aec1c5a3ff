// A Value Change Dump read back and decoded as I2C the way a logic analyser does it: for
// tests of the bus trace.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct t_vcd {
    std::string header;
    std::string timescale;
    std::map<std::string, std::string> names;  // id -> signal name
    // Changes per time stamp, in file order: signal name -> level.
    std::vector<std::pair<uint64_t, std::map<std::string, char>>> steps;  // time stamps grow
};

// Parses the definitions and the changes; a time stamp that does not grow fails the test.
t_vcd parse_vcd(const std::string& text);
// Decodes I2C like a sampling logic analyser: at each time stamp, the data line changing
// while the clock is high is a start (falling) or stop (rising); otherwise a rising clock
// samples a bit. Gives "S", "P" and each whole byte with its acknowledge as "A4+" or "3C-".
std::vector<std::string> decode_i2c(const t_vcd& vcd);
