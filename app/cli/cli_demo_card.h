// Simulated card images with the demo devices: made by make-card, and the default card of
// --simulate.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int cli_demo_card_cells = 6;
inline constexpr uint64_t cli_demo_card_seed = 1;

// "demo.card" in the program's data folder.
std::string cli_demo_card_path();
// Writes a card image of `cells` cells (3 or 6) made with `seed`, replacing `path`; false
// with a Russian error text.
bool write_demo_card(const std::string& path, int cells, uint64_t seed, std::string& error);
// Makes the card at `path` with the default content when no file is there.
bool ensure_demo_card(const std::string& path, std::string& error);
