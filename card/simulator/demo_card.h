// The demo card: a simulated card image with the archives of a few heat meters, for demos,
// training and the simulator's default card.
//
// Three cells: devices of the record formats 2T4V (0xFF), 3T3V (0xAA) and 4T4V (0xA8).
// Six cells: the same three devices in cells 0, 1 and 3, a deleted cell 4 (mark 0xAA over a
// former device's archive) and empty cells 2 and 5.
// Hourly records fill the slots in time order from the first one, as a ring: the 3T3V
// device has run for longer than its 1022 slots hold, so its newest records lie before its
// oldest; the others hold three to six weeks. Supply temperatures lie within 60 ... 90 °C,
// return temperatures within 40 ... 60 °C, volumes and energy grow from hour to hour.
#pragma once

#include <cstdint>
#include <vector>

// `cells` is 3 or 6 (anything else throws std::invalid_argument); the same seed gives the
// same image. The result has cells * 32768 bytes.
std::vector<uint8_t> make_demo_card_image(int cells = 6, uint64_t seed = 1);
