#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "device/U_kalden_common.h"
#include "device/cell_image_builder.h"
#include "support/test_env.h"

namespace {

using t_cell_decoding = t_test_env;

// The value, T, V and aux fields of a record, in declaration order.
std::array<float, 12> value_fields(const HData& r) {
    return {r.value1, r.value2, r.t_ch1, r.t_ch2, r.t_ch3, r.t_ch4,
            r.v_ch1,  r.v_ch2,  r.v_ch3, r.v_ch4, r.aux1,  r.aux2};
}

const float k_one = decode_device_float_times_k(0x27, 0x00, 0x00);  // 1.0 * K

TEST_F(t_cell_decoding, ErasedCellHasNoRecordsAndAnInvalidDeviceNumber) {
    t_cell_image_builder cell;
    t_zor73_process p;
    p.decode_cell(cell.image, false);
    EXPECT_TRUE(p.records.empty());
    const t_archive_header& h = p.header;
    for (float head : {h.head1, h.head2, h.head3, h.head4, h.head5, h.head6, h.head7, h.head8,
                       h.head9, h.head10, h.head11, h.head12, h.head12_copy}) {
        EXPECT_EQ(head, 0.0f);
    }
    EXPECT_EQ(h.device_number, 65535);
    EXPECT_EQ(h.head_word, 65535);
    EXPECT_EQ(h.record_format, 0xFF);
    EXPECT_EQ(h.archive_kind, 7);
    EXPECT_EQ(h.aux1, 152.0f);
    EXPECT_EQ(h.aux2, decode_aux2(0xFF));
}

TEST_F(t_cell_decoding, HeaderFieldsComeFromTheirOffsets) {
    t_cell_image_builder cell(0x00);
    // Device float k at offset o: 1.0 * 2^k, so every field shows which offset it came from.
    using t_field = float t_archive_header::*;
    const std::pair<size_t, t_field> floats[] = {
        {2, &t_archive_header::head1},   {6, &t_archive_header::head2},
        {10, &t_archive_header::head3},  {16, &t_archive_header::head4},
        {20, &t_archive_header::head5},  {24, &t_archive_header::head6},
        {28, &t_archive_header::head7},  {32, &t_archive_header::head8},
        {36, &t_archive_header::head9},  {40, &t_archive_header::head10},
        {44, &t_archive_header::head11}, {48, &t_archive_header::head12},
    };
    for (const auto& [offset, field] : floats) {
        cell.put(offset, {0x00, 0x00, 0x00, static_cast<uint8_t>(0x27 + offset)});
    }
    cell.put(14, {110, 100}).put(52, {0x34, 0x12}).put(60, {0x04, 0xD2}).record_format(0xAA);
    t_zor73_process p;
    p.decode_cell(cell.image, false);
    for (const auto& [offset, field] : floats) {
        EXPECT_EQ(p.header.*field, std::ldexp(1.0f, static_cast<int>(offset))) << offset;
    }
    EXPECT_EQ(p.header.head12_copy, p.header.head12);
    EXPECT_EQ(p.header.aux1, 7.0f);
    EXPECT_EQ(p.header.aux2, decode_aux2(100));
    EXPECT_EQ(p.header.head_word, 0x1234);    // little-endian
    EXPECT_EQ(p.header.device_number, 1234);  // big-endian
    EXPECT_EQ(p.header.record_format, 0xAA);
}

TEST_F(t_cell_decoding, ReadTimeIsTheClocksLocalTimeToTheMillisecond) {
    clock.advance_ms(3);
    t_zor73_process p;
    EXPECT_EQ(p.header.read_time, 0.0);
    p.decode_cell(t_cell_image_builder().image, false);
    EXPECT_EQ(p.header.read_time, to_ole_date({2010, 4, 1, 9, 5, 7, 45}));
}

struct t_format_case {
    const char* name;
    uint8_t format;
    std::vector<uint8_t> bytes_4_to_29;
    std::array<float, 12> expected;  // value1 value2 t1 t2 t3 t4 v1 v2 v3 v4 aux1 aux2
};

class t_record_formats : public t_test_env, public ::testing::WithParamInterface<t_format_case> {};

TEST_P(t_record_formats, FieldsComeFromTheirSlotBytes) {
    const t_format_case& c = GetParam();
    t_cell_image_builder cell;
    cell.record_format(c.format).record(0, 5, 3, 10, 6);
    for (size_t i = 0; i < c.bytes_4_to_29.size(); ++i) {
        cell.image[t_cell_image_builder::slot_offset(0) + 4 + i] = c.bytes_4_to_29[i];
    }
    cell.slot_bytes(0, 30, {110, 100});
    t_zor73_process p;
    p.decode_cell(cell.image, false);
    ASSERT_EQ(p.records.size(), 1u);
    const HData& r = p.records[0];
    EXPECT_EQ(value_fields(r), c.expected);
    EXPECT_EQ(r.date_text, "05.03.2010");
    EXPECT_EQ(r.hour, 6);
    EXPECT_EQ(r.date_time, 40242.25);
}

const float aux2_100 = decode_aux2(100);

INSTANTIATE_TEST_SUITE_P(
    AllFormats, t_record_formats,
    ::testing::Values(
        t_format_case{"f2T4V",
                      0xFF,
                      {0x00, 0x00, 0x00, 0x27,   // value1 1.0
                       0x20, 0x00, 0x28,         // t_ch1 2.5 (3-byte)
                       0x48, 0x00, 0x2E,         // t_ch2 200.0 (no range rule)
                       0x00, 0x00, 0x00, 0x28,   // v_ch1 2.0
                       0x40, 0x00, 0x00, 0x28,   // v_ch2 3.0
                       0x00, 0x00, 0x00, 0x29,   // v_ch3 4.0
                       0x20, 0x00, 0x00, 0x29},  // v_ch4 5.0
                      {1.0f, 5.0f, 2.5f, 200.0f, 0, 0, 2.0f, 3.0f, 4.0f, 5.0f, 7.0f, aux2_100}},
        t_format_case{
            "f3T3V",
            0xAA,
            {0x00, 0x00, 0x00, 0x27,  // value1 1.0
             0x09, 0xC4,              // t_ch1 25.00
             0x46, 0x50,              // t_ch2 180.00, kept
             0x00, 0x01,              // t_ch3 0.01
             0x00, 0x00, 0x00, 0x28, 0x40, 0x00, 0x00, 0x28,
             0x00, 0x00, 0x00, 0x29, 0x20, 0x00, 0x00, 0x29},
            {1.0f, 5.0f, 25.0f, 180.0f, 0.01f, 0, 2.0f, 3.0f, 4.0f, 5.0f, 7.0f, aux2_100}},
        t_format_case{"f4T4V",
                      0xA8,
                      {0x00, 0x00, 0x27,   // value1 1.0 * K
                       0x09, 0xC4,         // t_ch1 25.00
                       0x00, 0x64,         // t_ch2 1.00, kept
                       0x00, 0x00, 0x28,   // v_ch1 2.0 * K
                       0x40, 0x00, 0x28,   // v_ch2 3.0 * K
                       0x00, 0x00, 0x29,   // value2 4.0 * K
                       0x46, 0x50,         // t_ch3 180.00
                       0x13, 0x88,         // t_ch4 50.00
                       0x20, 0x00, 0x29,   // v_ch3 5.0 * K
                       0x00, 0x00, 0x2A},  // v_ch4 8.0 * K
                      {k_one, 4 * k_one, 25.0f, 1.0f, 180.0f, 50.0f, 2 * k_one,
                       decode_device_float_times_k(0x28, 0x40, 0x00),
                       decode_device_float_times_k(0x29, 0x20, 0x00), 8 * k_one, 7.0f, aux2_100}},
        t_format_case{"UnknownFormat",
                      0x00,
                      std::vector<uint8_t>(26, 0x27),
                      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7.0f, aux2_100}}),
    [](const auto& info) { return std::string(info.param.name); });

struct t_range_case {
    const char* name;
    uint8_t format;
    std::array<uint16_t, 4> t_raw;  // hundredths; 0xAA uses the first three
    std::array<float, 4> expected;  // t_ch1 ... t_ch4
};

class t_range_rules : public t_test_env, public ::testing::WithParamInterface<t_range_case> {};

TEST_P(t_range_rules, ClearOutOfRangeTemperatures) {
    const t_range_case& c = GetParam();
    const std::array<size_t, 4> at = c.format == 0xAA ? std::array<size_t, 4>{8, 10, 12, 0}
                                                      : std::array<size_t, 4>{7, 9, 20, 22};
    t_cell_image_builder cell;
    cell.record_format(c.format).record(0, 1, 1, 10, 0);
    for (size_t i = 0; i < 4; ++i) {
        if (at[i] != 0) {
            cell.slot_bytes(
                0, at[i],
                {static_cast<uint8_t>(c.t_raw[i] >> 8), static_cast<uint8_t>(c.t_raw[i])});
        }
    }
    t_zor73_process p;
    p.decode_cell(cell.image, false);
    const HData& r = p.records.at(0);
    EXPECT_EQ((std::array<float, 4>{r.t_ch1, r.t_ch2, r.t_ch3, r.t_ch4}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats3T3VAnd4T4V, t_range_rules,
    ::testing::Values(
        t_range_case{
            "Above180ClearsOnlyThatChannel", 0xAA, {2500, 18001, 5000}, {25.0f, 0, 50.0f, 0}},
        t_range_case{"Exactly180Stays", 0xAA, {18000, 0, 65535}, {180.0f, 0, 0, 0}},
        t_range_case{
            "LowFirstOfPairClearsBoth", 0xA8, {99, 2500, 2500, 2500}, {0, 0, 25.0f, 25.0f}},
        t_range_case{"OnePointZeroStays", 0xA8, {100, 18000, 100, 100}, {1.0f, 180.0f, 1.0f, 1.0f}},
        t_range_case{
            "HighSecondOfPairClearsBoth", 0xA8, {2500, 2500, 2500, 18001}, {25.0f, 25.0f, 0, 0}},
        t_range_case{"ZeroClearsItsPair", 0xA8, {2500, 0, 2500, 2500}, {0, 0, 25.0f, 25.0f}}),
    [](const auto& info) { return std::string(info.param.name); });

struct t_date_case {
    uint8_t day, month, year, hour;
    bool valid;
};

class t_record_dates : public t_test_env, public ::testing::WithParamInterface<t_date_case> {};

TEST_P(t_record_dates, InvalidDateOrHourFailsTheWholeDecoding) {
    const t_date_case& c = GetParam();
    t_cell_image_builder cell;
    cell.record(0, 1, 1, 10, 0).record(1, c.day, c.month, c.year, c.hour);
    t_zor73_process p;
    if (c.valid) {
        p.decode_cell(cell.image, false);
        ASSERT_EQ(p.records.size(), 2u);
        char text[16];
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", c.day, c.month, 2000 + c.year);
        const auto r = std::find_if(p.records.begin(), p.records.end(),
                                    [&](const HData& r) { return r.date_text == text; });
        ASSERT_NE(r, p.records.end()) << text;
        EXPECT_EQ(r->hour, c.hour);
        EXPECT_EQ(r->date_time, to_ole_date({2000 + c.year, c.month, c.day, c.hour, 0, 0, 0}));
        return;
    }
    EXPECT_THROW(p.decode_cell(cell.image, false), Exception);
    EXPECT_TRUE(p.records.empty());  // nothing of the failed decoding is kept
    EXPECT_EQ(p.header.read_time, 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, t_record_dates,
    ::testing::Values(t_date_case{29, 2, 0, 0, true},   // 2000 leap
                      t_date_case{29, 2, 4, 23, true},  // 2004 leap
                      t_date_case{31, 12, 255, 23, true}, t_date_case{30, 4, 10, 12, true},
                      t_date_case{29, 2, 100, 0, false},  // 2100 not leap
                      t_date_case{29, 2, 10, 0, false}, t_date_case{31, 2, 10, 0, false},
                      t_date_case{31, 4, 10, 0, false}, t_date_case{1, 0, 10, 0, false},
                      t_date_case{1, 13, 10, 0, false}, t_date_case{1, 1, 10, 24, false},
                      t_date_case{1, 1, 10, 255, false}));

TEST_F(t_cell_decoding, FreeSlotsAreSkippedWhateverFollows) {
    t_cell_image_builder cell(0x00);
    cell.record_format(0xFF);
    size_t slot = 0;
    for (uint8_t first : {0, 32, 33, 200, 255}) {
        cell.put(t_cell_image_builder::slot_offset(slot++), {first, 99, 99, 99});
    }
    cell.record(cell_slot_count - 1, 31, 12, 10, 23);  // the slot ending at the image's end
    t_zor73_process p;
    p.decode_cell(cell.image, false);
    ASSERT_EQ(p.records.size(), 1u);
    EXPECT_EQ(p.records[0].date_text, "31.12.2010");
}

TEST_F(t_cell_decoding, WrongImageSizeIsRefused) {
    const std::vector<uint8_t> short_image(cell_image_size - 1, 0xFF);
    t_zor73_process p;
    EXPECT_THROW(p.decode_cell(short_image, false), Exception);
}

// Records tagged with their slot number in aux1 (byte 30 = 103 + slot).
t_cell_image_builder tagged_cell(const std::vector<std::array<uint8_t, 4>>& slots) {
    t_cell_image_builder cell;
    for (size_t i = 0; i < slots.size(); ++i) {
        const auto& [day, month, year, hour] = slots[i];
        cell.record(i, day, month, year, hour).slot_bytes(i, 30, {static_cast<uint8_t>(103 + i)});
    }
    return cell;
}

std::vector<int> slot_tags(const t_zor73_process& p) {
    std::vector<int> tags;
    for (const HData& r : p.records) {
        tags.push_back(static_cast<int>(r.aux1));
    }
    return tags;
}

TEST_F(t_cell_decoding, RecordsAreSortedByDateAndHourKeepingSlotOrderOfEqualTimes) {
    const auto cell = tagged_cell({{5, 3, 10, 23},
                                   {5, 3, 10, 5},
                                   {1, 1, 11, 0},
                                   {5, 3, 10, 5},
                                   {31, 12, 9, 23},
                                   {6, 3, 10, 0},
                                   {5, 3, 10, 5},
                                   {4, 4, 10, 1}});
    t_zor73_process p;
    p.decode_cell(cell.image, false);
    EXPECT_EQ(slot_tags(p), (std::vector<int>{4, 1, 3, 6, 0, 5, 7, 2}));
    EXPECT_EQ(p.header.archive_kind, 7);
}

TEST_F(t_cell_decoding, DailyKeepsTheLastRecordOfEachDate) {
    const auto cell = tagged_cell({{5, 3, 10, 23},
                                   {5, 3, 10, 5},
                                   {6, 3, 10, 0},
                                   {6, 3, 10, 0},
                                   {7, 3, 10, 0},
                                   {6, 3, 10, 0}});
    t_zor73_process p;
    p.decode_cell(cell.image, true);
    EXPECT_EQ(slot_tags(p), (std::vector<int>{0, 5, 4}));
    EXPECT_EQ(p.records[0].hour, 23);  // kept records are unchanged
    EXPECT_EQ(p.header.archive_kind, 0);
}

TEST_F(t_cell_decoding, DailyOfEmptyArchiveStaysHourlyAndOfOneRecordKeepsIt) {
    t_zor73_process empty;
    empty.decode_cell(t_cell_image_builder().image, true);
    EXPECT_EQ(empty.header.archive_kind, 7);

    t_zor73_process one;
    one.decode_cell(tagged_cell({{5, 3, 10, 0}}).image, true);
    ASSERT_EQ(one.records.size(), 1u);
    EXPECT_EQ(one.records[0].date_text, "05.03.2010");
    EXPECT_EQ(one.header.archive_kind, 0);
}

}  // namespace
