// Cards for the simulator's tests: a recognisable byte pattern per cell and a store that
// records (or fails) the writes back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card/simulator/card_image.h"

inline uint8_t test_pattern(int cell, uint32_t offset) {
    return static_cast<uint8_t>(offset * 7 + (offset >> 8) * 13 + cell * 31 + 1);
}

inline std::vector<uint8_t> pattern_image(int cells) {
    std::vector<uint8_t> bytes(static_cast<size_t>(cells) * sim_cell_size);
    for (int n = 0; n < cells; ++n) {
        for (uint32_t i = 0; i < sim_cell_size; ++i) {
            bytes[n * sim_cell_size + i] = test_pattern(n, i);
        }
    }
    return bytes;
}

class t_recording_store : public t_card_store {
  public:
    struct t_save {
        uint32_t offset;
        std::vector<uint8_t> data;
    };
    bool save(uint32_t offset, const uint8_t* data, uint32_t count,
              std::string& error_text) override {
        saves.push_back({offset, std::vector<uint8_t>(data, data + count)});
        if (fail) {
            error_text = "запись не удалась";
        }
        return !fail;
    }
    std::vector<t_save> saves;
    bool fail = false;
};

constexpr uint8_t cell_address(int cell) {
    return static_cast<uint8_t>(0xA4 + 2 * cell);
}
