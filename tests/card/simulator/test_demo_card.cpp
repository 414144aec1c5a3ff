// The demo card, read back with the archive decoding rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "card/simulator/card_image.h"
#include "card/simulator/demo_card.h"
#include "card/simulator/device_value_encoding.h"
#include "device_value_reference.h"

namespace {

constexpr uint32_t slot_count = 1022;

struct t_record {
    int day, month, year, hour;
    double value1 = 0, value2 = 0;
    double t[4] = {};
    double v[4] = {};
};

float dev4(const uint8_t* p) {
    return static_cast<float>(reference_device_float(p[0], p[1], p[2], p[3]));
}
float dev3(const uint8_t* p) {
    return static_cast<float>(reference_device_float3(p[0], p[1], p[2]));
}
float dev3k(const uint8_t* p) {
    return static_cast<float>(reference_device_float3(p[0], p[1], p[2]) * device_k_factor);
}
float scaled(const uint8_t* p) {
    return reference_scaled16(p[0], p[1]);
}

// One slot as the decoder reads it (before its range rules, which the demo never needs).
t_record read_record(uint8_t format, const uint8_t* s) {
    t_record r{s[0], s[1], 2000 + s[2], s[3]};
    switch (format) {
        case 0xFF:
            r.value1 = dev4(s + 4);
            r.t[0] = dev3(s + 8);
            r.t[1] = dev3(s + 11);
            for (int i = 0; i < 4; ++i) {
                r.v[i] = dev4(s + 14 + 4 * i);
            }
            r.value2 = r.v[3];
            break;
        case 0xAA:
            r.value1 = dev4(s + 4);
            for (int i = 0; i < 3; ++i) {
                r.t[i] = scaled(s + 8 + 2 * i);
            }
            for (int i = 0; i < 4; ++i) {
                r.v[i] = dev4(s + 14 + 4 * i);
            }
            r.value2 = r.v[3];
            break;
        case 0xA8:
            r.value1 = dev3k(s + 4);
            r.t[0] = scaled(s + 7);
            r.t[1] = scaled(s + 9);
            r.v[0] = dev3k(s + 11);
            r.v[1] = dev3k(s + 14);
            r.value2 = dev3k(s + 17);
            r.t[2] = scaled(s + 20);
            r.t[3] = scaled(s + 22);
            r.v[2] = dev3k(s + 24);
            r.v[3] = dev3k(s + 27);
            break;
    }
    return r;
}

bool valid_date(const t_record& r) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (r.month < 1 || r.month > 12 || r.hour > 23) {
        return false;
    }
    const bool leap = (r.year % 4 == 0 && r.year % 100 != 0) || r.year % 400 == 0;
    return r.day <= days[r.month - 1] + (r.month == 2 && leap ? 1 : 0);
}

// Hours since 1 January 2000.
int64_t hour_index(const t_record& r) {
    int64_t days = 0;
    for (int y = 2000; y < r.year; ++y) {
        days += ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0) ? 366 : 365;
    }
    static const int before_month[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (r.year % 4 == 0 && r.year % 100 != 0) || r.year % 400 == 0;
    days += before_month[r.month - 1] + (r.month > 2 && leap ? 1 : 0) + r.day - 1;
    return days * 24 + r.hour;
}

bool header_holds(const uint8_t* cell) {
    return cell[0] != 0xFF && cell[0] != 0xAA && cell[60] != 0 && cell[61] != 0;
}

// Checks one device's archive; returns the number of places where the slot order is not
// the time order (0 for a ring that has not wrapped, 1 for one that has).
int check_device(const uint8_t* cell, uint8_t format) {
    std::vector<t_record> slots;
    for (uint32_t i = 0; i < slot_count; ++i) {
        const uint8_t* s = cell + 64 + 32 * i;
        if (s[0] >= 1 && s[0] <= 31) {
            slots.push_back(read_record(format, s));
            EXPECT_TRUE(valid_date(slots.back())) << "slot " << i;
        } else {
            EXPECT_TRUE(std::all_of(s, s + 32, [](uint8_t b) { return b == 0xFF; })) << i;
        }
    }
    EXPECT_GE(slots.size(), 3u * 7 * 24);
    int breaks = 0;
    for (size_t i = 1; i < slots.size(); ++i) {
        breaks += hour_index(slots[i]) != hour_index(slots[i - 1]) + 1;
    }

    std::vector<t_record> records = slots;
    std::stable_sort(records.begin(), records.end(), [](const t_record& a, const t_record& b) {
        return hour_index(a) < hour_index(b);
    });
    for (size_t i = 0; i < records.size(); ++i) {
        const t_record& r = records[i];
        EXPECT_TRUE(r.t[0] >= 60 && r.t[0] <= 90) << r.t[0];
        EXPECT_TRUE(r.t[1] >= 40 && r.t[1] <= 60) << r.t[1];
        // The return pipe's volume follows the supply's, a little behind.
        EXPECT_TRUE(r.v[1] <= r.v[0] && r.v[1] >= 0.9 * r.v[0]) << r.v[1] << " " << r.v[0];
        if (format == 0xAA) {
            EXPECT_TRUE(r.t[2] >= 5 && r.t[2] <= 15) << r.t[2];
        }
        if (format == 0xA8) {
            EXPECT_TRUE(r.t[2] >= 50 && r.t[2] <= 70) << r.t[2];
            EXPECT_TRUE(r.t[3] >= 30 && r.t[3] <= 45) << r.t[3];
        }
        if (i > 0) {
            const t_record& p = records[i - 1];
            EXPECT_EQ(hour_index(r), hour_index(p) + 1);
            EXPECT_GE(r.value1, p.value1);
            EXPECT_GE(r.value2, p.value2);
            for (int c = 0; c < 4; ++c) {
                EXPECT_GE(r.v[c], p.v[c]) << c;
            }
        }
    }
    const t_record& first = records.front();
    const t_record& last = records.back();
    EXPECT_GT(last.value1, first.value1);
    for (int c = 0; c < 4; ++c) {
        EXPECT_GT(last.v[c], first.v[c]) << c;
        EXPECT_GT(first.v[c], 0);
    }
    return breaks;
}

TEST(DemoCard, HoldsDevicesOfTheThreeFormatsADeletedCellAndEmptyCells) {
    struct t_case {
        int cells;
        uint64_t seed;
        std::vector<int> kinds;  // per cell: a format code, 0xAA0 deleted, 0 empty
    };
    const t_case cases[] = {
        {3, 1, {0xFF, 0xAA, 0xA8}},
        {6, 1, {0xFF, 0xAA, 0, 0xA8, 0xAA0, 0}},
        {6, 987654321, {0xFF, 0xAA, 0, 0xA8, 0xAA0, 0}},
    };
    for (const t_case& c : cases) {
        SCOPED_TRACE(c.cells);
        SCOPED_TRACE(c.seed);
        const std::vector<uint8_t> image = make_demo_card_image(c.cells, c.seed);
        ASSERT_EQ(image.size(), c.cells * sim_cell_size);
        std::vector<int> numbers;
        for (int n = 0; n < c.cells; ++n) {
            SCOPED_TRACE(n);
            const uint8_t* cell = image.data() + n * sim_cell_size;
            const int kind = c.kinds[n];
            if (kind == 0) {
                EXPECT_TRUE(
                    std::all_of(cell, cell + sim_cell_size, [](uint8_t b) { return b == 0xFF; }));
            } else if (kind == 0xAA0) {
                // The mark over a former device: its number and format are still there.
                EXPECT_EQ(cell[0], 0xAA);
                EXPECT_TRUE(cell[60] != 0 && cell[61] != 0);
                EXPECT_EQ(cell[62], 0xFF);
                check_device(cell, cell[62]);
            } else {
                EXPECT_TRUE(header_holds(cell));
                EXPECT_EQ(cell[62], kind);
                numbers.push_back(cell[60] * 256 + cell[61]);
                EXPECT_NE(numbers.back(), 65535);
                // The 3T3V device's ring of slots has wrapped; the others have not.
                EXPECT_EQ(check_device(cell, cell[62]), kind == 0xAA ? 1 : 0);
            }
        }
        std::sort(numbers.begin(), numbers.end());
        EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
    }
}

TEST(DemoCard, TheSeedDecidesTheContent) {
    EXPECT_EQ(make_demo_card_image(6, 42), make_demo_card_image(6, 42));
    EXPECT_NE(make_demo_card_image(6, 42), make_demo_card_image(6, 43));
    EXPECT_EQ(make_demo_card_image(3, 42), make_demo_card_image(3, 42));
}

TEST(DemoCard, OnlyThreeAndSixCellCardsExist) {
    for (int cells : {0, 1, 2, 4, 5, 7}) {
        EXPECT_THROW(make_demo_card_image(cells, 1), std::invalid_argument) << cells;
    }
}

}  // namespace
