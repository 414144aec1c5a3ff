// Builds cell images for tests and benchmarks: header bytes, slots with a date and payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "device/U_kalden_common.h"

class t_cell_image_builder {
  public:
    // An erased cell (0xFF everywhere) has no records.
    explicit t_cell_image_builder(uint8_t fill = 0xFF) : image(cell_image_size, fill) {}

    static size_t slot_offset(size_t slot) { return cell_header_size + slot * cell_slot_size; }

    t_cell_image_builder& put(size_t offset, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) {
            image.at(offset++) = b;
        }
        return *this;
    }
    t_cell_image_builder& record_format(uint8_t format) { return put(62, {format}); }
    t_cell_image_builder& device_number(uint16_t n) {
        return put(60, {static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    }
    // Slot `slot`: day, month, year - 2000, hour; the other 28 bytes are zero.
    t_cell_image_builder& record(size_t slot, uint8_t day, uint8_t month, uint8_t year,
                                 uint8_t hour) {
        const size_t at = slot_offset(slot);
        for (size_t i = 0; i < cell_slot_size; ++i) {
            image.at(at + i) = 0;
        }
        return put(at, {day, month, year, hour});
    }
    // Bytes from byte `at` of slot `slot` on.
    t_cell_image_builder& slot_bytes(size_t slot, size_t at, std::initializer_list<uint8_t> b) {
        return put(slot_offset(slot) + at, b);
    }

    std::vector<uint8_t> image;
};

// A cell of `format` with every slot filled: valid dates spread over 2010-2012 (some dates
// and hours repeat), random value bytes. The same seed gives the same cell.
inline std::vector<uint8_t> make_full_cell(uint8_t format, uint32_t seed) {
    std::mt19937 random(seed);
    t_cell_image_builder cell;
    cell.record_format(format).device_number(1234);
    for (size_t i = 2; i < cell_header_size; ++i) {
        if (i != 60 && i != 61 && i != 62) {
            cell.image[i] = static_cast<uint8_t>(random());
        }
    }
    for (size_t slot = 0; slot < cell_slot_count; ++slot) {
        const auto day = static_cast<uint8_t>(1 + random() % 28);
        const auto month = static_cast<uint8_t>(1 + random() % 12);
        const auto year = static_cast<uint8_t>(10 + random() % 3);
        const auto hour = static_cast<uint8_t>(random() % 24);
        cell.record(slot, day, month, year, hour);
        for (size_t at = 4; at < cell_slot_size; ++at) {
            cell.image[t_cell_image_builder::slot_offset(slot) + at] =
                static_cast<uint8_t>(random());
        }
    }
    return cell.image;
}
