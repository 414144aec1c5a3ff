// The simulated card's content: N cells of 32768 bytes (N = 1 ... 6; cell n at offset
// n * 32768, chip n present for n < N) and the store its changes are written back to.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr uint32_t sim_cell_size = 32768;
constexpr int sim_max_cells = 6;

// Where committed writes of the simulated card persist.
class t_card_store {
  public:
    virtual ~t_card_store() = default;
    // Writes `count` bytes at `offset` of the card image; false with a Russian error text.
    virtual bool save(uint32_t offset, const uint8_t* data, uint32_t count,
                      std::string& error_text) = 0;
};

struct t_sim_card {
    std::vector<uint8_t> bytes;
    // nullptr: the changes stay in memory.
    std::unique_ptr<t_card_store> store;

    int cell_count() const { return static_cast<int>(bytes.size() / sim_cell_size); }
};

// Empty when `size` is a valid image size, else the Russian reason, naming `path`.
std::string card_image_size_error(const std::string& path, uint64_t size);

// Reads the card image file `path` and keeps it open as the card's store.
bool load_card_file(const std::string& path, t_sim_card& card, std::string& error_text);
