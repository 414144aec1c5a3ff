#include "support/vcd_i2c.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

t_vcd parse_vcd(const std::string& text) {
    t_vcd vcd;
    const size_t end = text.find("$enddefinitions $end");
    vcd.header = text.substr(0, end);
    std::istringstream defs(vcd.header);
    std::string word;
    while (defs >> word) {
        if (word == "$var") {
            std::string kind, width, id, name;
            defs >> kind >> width >> id >> name;
            vcd.names[id] = name;
        } else if (word == "$timescale") {
            defs >> vcd.timescale;
            std::string unit;
            defs >> unit;
            vcd.timescale += " " + unit;
        }
    }
    std::istringstream body(text.substr(end + 20));
    while (body >> word) {
        if (word[0] == '#') {
            const uint64_t time = std::stoull(word.substr(1));
            if (!vcd.steps.empty() && time <= vcd.steps.back().first) {
                ADD_FAILURE() << "time stamp " << time << " after " << vcd.steps.back().first;
            }
            vcd.steps.push_back({time, {}});
        } else {
            vcd.steps.back().second[vcd.names.at(word.substr(1))] = word[0];
        }
    }
    return vcd;
}

std::vector<std::string> decode_i2c(const t_vcd& vcd) {
    std::vector<std::string> tokens;
    char scl = 'x';
    char sda = 'x';
    int bits = -1;  // -1: no start seen yet
    unsigned value = 0;
    for (const auto& [time, changes] : vcd.steps) {
        const char new_scl = changes.count("scl") ? changes.at("scl") : scl;
        const char new_sda = changes.count("sda") ? changes.at("sda") : sda;
        if (new_scl == '1' && sda != 'x' && new_sda != sda) {
            tokens.push_back(new_sda == '0' ? "S" : "P");
            bits = new_sda == '0' ? 0 : -1;
            value = 0;
        } else if (scl == '0' && new_scl == '1' && bits >= 0) {
            if (bits < 8) {
                value = (value << 1) | (new_sda == '1' ? 1 : 0);
                ++bits;
            } else {
                char text[8];
                std::snprintf(text, sizeof text, "%02X%c", value, new_sda == '0' ? '+' : '-');
                tokens.push_back(text);
                bits = 0;
                value = 0;
            }
        }
        scl = new_scl;
        sda = new_sda;
    }
    return tokens;
}
