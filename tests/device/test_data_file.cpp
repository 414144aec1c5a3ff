#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/hunits/uhFuncs.h"
#include "device/U_kalden_common.h"
#include "device/cell_image_builder.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;

using t_data_file = t_test_env;

uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}
float f32_at(const std::vector<uint8_t>& b, size_t at) {
    return std::bit_cast<float>(u32_at(b, at));
}

t_zor73_process sample_archive() {
    t_zor73_process p;
    t_archive_header& h = p.header;
    h.archive_kind = 7;
    float value = 1.0f;
    for (float* head : {&h.head1, &h.head2, &h.head3, &h.head4, &h.head5, &h.head6, &h.head7,
                        &h.head8, &h.head9, &h.head10, &h.head11, &h.head12}) {
        *head = value++;
    }
    h.head12_copy = h.head12;
    h.aux1 = -103.0f;
    h.aux2 = 0.5f;
    h.head_word = 0x1234;
    h.device_number = 65535;
    h.record_format = 0xA8;
    h.read_time = 40269.545219;
    HData r;
    r.date_time = 40242.25;
    r.date_text = "05.03.2010";
    r.hour = 23;
    float v = 101.0f;
    for (float* f : {&r.value1, &r.value2, &r.t_ch1, &r.t_ch2, &r.t_ch3, &r.t_ch4, &r.v_ch1,
                     &r.v_ch2, &r.v_ch3, &r.v_ch4, &r.aux1, &r.aux2}) {
        *f = v++;
    }
    p.records.push_back(r);
    return p;
}

TEST(DataFileLayout, HeaderAndRecordFieldsSitAtTheirOffsetsWithZeroReservedBytes) {
    const std::vector<uint8_t> b = encode_data_file(sample_archive());
    ASSERT_EQ(b.size(), 112u + 68u);
    EXPECT_EQ(b[0], 7);
    const size_t head_offsets[] = {4, 12, 16, 28, 32, 36, 40, 48, 52, 84, 88, 92};
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(f32_at(b, head_offsets[i]), static_cast<float>(i + 1)) << head_offsets[i];
    }
    EXPECT_EQ(f32_at(b, 96), 12.0f);
    EXPECT_EQ(f32_at(b, 64), -103.0f);
    EXPECT_EQ(f32_at(b, 68), 0.5f);
    EXPECT_EQ(u32_at(b, 72), 0x1234u);
    EXPECT_EQ(u32_at(b, 76), 65535u);
    EXPECT_EQ(b[81], 0xA8);
    double read_time;
    std::memcpy(&read_time, &b[104], 8);
    EXPECT_EQ(read_time, 40269.545219);
    for (size_t reserved : {1, 2, 3, 8, 9, 10, 11, 20, 27, 44, 47, 56, 63, 80, 82, 83, 100, 103}) {
        EXPECT_EQ(b[reserved], 0) << reserved;
    }

    const size_t r = 112;
    EXPECT_EQ(std::string(b.begin() + r, b.begin() + r + 10), "05.03.2010");
    EXPECT_EQ(b[r + 10], 0);
    EXPECT_EQ(b[r + 11], 0);
    EXPECT_EQ(b[r + 12], 23);
    const size_t value_offsets[] = {16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 60, 64};
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(f32_at(b, r + value_offsets[i]), 101.0f + i) << value_offsets[i];
    }
    for (size_t reserved : {13, 14, 15, 56, 57, 58, 59}) {
        EXPECT_EQ(b[r + reserved], 0) << reserved;
    }
}

TEST_F(t_data_file, SavedAndReloadedArchiveIsTheSame) {
    t_zor73_process saved;
    saved.decode_cell(make_full_cell(record_format_3t3v, 7), false);
    const std::string path = temp.file("archive.z7m");
    ASSERT_TRUE(saved.save_to_file(path)) << saved.get_text_result();

    t_zor73_process loaded;
    ASSERT_TRUE(loaded.load_from_file(path)) << loaded.get_text_result();
    EXPECT_EQ(encode_data_file(loaded), encode_data_file(saved));
    ASSERT_EQ(loaded.records.size(), saved.records.size());
    for (size_t i = 0; i < saved.records.size(); ++i) {
        EXPECT_EQ(loaded.records[i].date_text, saved.records[i].date_text);
        EXPECT_EQ(loaded.records[i].date_time, 0.0);
    }
}

struct t_size_case {
    const char* name;
    size_t size;
    bool loads;
    size_t records;
};

class t_data_file_sizes : public t_test_env, public ::testing::WithParamInterface<t_size_case> {};

TEST_P(t_data_file_sizes, RecordCountFollowsFromTheSize) {
    const t_size_case& c = GetParam();
    t_zor73_process source = sample_archive();
    source.records.resize(4, source.records[0]);
    std::vector<uint8_t> bytes = encode_data_file(source);
    bytes.resize(c.size, 0x5A);
    const std::string path = temp.file("archive.z7m");
    write_file_bytes(path, std::string(bytes.begin(), bytes.end()));

    t_zor73_process p = sample_archive();
    p.records.resize(9);
    EXPECT_EQ(p.load_from_file(path), c.loads);
    if (c.loads) {
        EXPECT_EQ(p.records.size(), c.records);
        EXPECT_EQ(p.header.device_number, 65535);
    } else {
        EXPECT_EQ(p.get_text_result(), "Ошибка при считывании файла данных");
        EXPECT_EQ(p.records.size(), 9u);  // a header that cannot be read changes nothing
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, t_data_file_sizes,
    ::testing::Values(t_size_case{"Empty", 0, false, 0},
                      t_size_case{"ShorterThanTheHeader", 111, false, 0},
                      t_size_case{"HeaderOnly", 112, true, 0},
                      t_size_case{"TrailingBytesIgnored", 112 + 68 * 3 + 40, true, 3},
                      t_size_case{"OneByteShortOfFour", 112 + 68 * 4 - 1, true, 3},
                      t_size_case{"FourRecords", 112 + 68 * 4, true, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(t_data_file, DateTextEndsAtTheFirstZeroWithinTwelveBytes) {
    std::vector<uint8_t> bytes = encode_data_file(sample_archive());
    std::memcpy(&bytes[112], "0123456789AB", 12);  // no zero byte at all
    const std::string path = temp.file("archive.z7m");
    write_file_bytes(path, std::string(bytes.begin(), bytes.end()));
    t_zor73_process p;
    ASSERT_TRUE(p.load_from_file(path));
    EXPECT_EQ(p.records.at(0).date_text, "0123456789AB");
    EXPECT_EQ(p.records[0].hour, 23);

    bytes[112 + 3] = 0;
    write_file_bytes(path, std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(p.load_from_file(path));
    EXPECT_EQ(p.records.at(0).date_text, "012");
}

TEST_F(t_data_file, UnopenableAndAbsurdFilesFailClearly) {
    fs::create_directory(temp.file("folder"));
    const std::string huge = temp.file("huge.z7m");
    write_file_bytes(huge, "");
    fs::resize_file(huge, uintmax_t{4} << 30);  // sparse: takes no disk space
    const std::pair<std::string, std::string> cases[] = {
        {temp.file("missing.z7m"), "Ошибка открытия файла: " + temp.file("missing.z7m")},
        {temp.file("folder"), "Ошибка открытия файла: " + temp.file("folder")},
        {huge, "Файл слишком велик для файла данных: " + huge},
    };
    for (const auto& [path, message] : cases) {
        t_zor73_process p;
        EXPECT_FALSE(p.load_from_file(path)) << path;
        EXPECT_EQ(p.get_text_result(), message);
    }
}

TEST_F(t_data_file, FailedSaveIsReportedAndKeepsTheExistingFile) {
    const std::string existing = temp.file("archive.z7m");
    write_file_bytes(existing, "old");
    write_file_bytes(temp.file("plain"), "x");
    const std::string cases[] = {temp.file("plain") + "/archive.z7m", temp.path()};
    for (const std::string& path : cases) {
        t_zor73_process p = sample_archive();
        EXPECT_FALSE(p.save_to_file(path)) << path;
        EXPECT_EQ(p.get_text_result(), "Ошибка записи файла: " + path);
    }
    EXPECT_EQ(read_file_bytes(existing), "old");
    EXPECT_EQ(list_dir(temp.path()), (std::vector<std::string>{"archive.z7m", "plain"}));
}

struct t_name_case {
    const char* folder;
    t_local_time read_time;
    int32_t device_number;
    uint8_t archive_kind;
    const char* expected;
};

class t_data_file_names : public ::testing::TestWithParam<t_name_case> {};

TEST_P(t_data_file_names, FollowTheNamingRule) {
    const t_name_case& c = GetParam();
    t_zor73_process p;
    p.header.read_time = to_ole_date(c.read_time);
    p.header.device_number = c.device_number;
    p.header.archive_kind = c.archive_kind;
    auto native = [](std::string text) {  // '|' stands for the native separator
        std::replace(text.begin(), text.end(), '|', native_separator());
        return text;
    };
    EXPECT_EQ(make_file_name(p, native(c.folder)), native(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Names, t_data_file_names,
    ::testing::Values(t_name_case{"data",
                                  {2010, 4, 1, 13, 5, 7, 42},
                                  1234,
                                  7,
                                  "data|2010.04.01__13-05-07-042__n_00001234__hour.z7m"},
                      t_name_case{"data|",
                                  {2010, 4, 1, 13, 5, 7, 42},
                                  7,
                                  0,
                                  "data|2010.04.01__13-05-07-042__n_00000007__day.z7m"},
                      t_name_case{"\"my data  \"",
                                  {2009, 12, 31, 0, 0, 0, 0},
                                  65535,
                                  2,
                                  "my data|2009.12.31__00-00-00-000__n_00065535__day.z7m"},
                      t_name_case{"d",
                                  {2011, 1, 2, 3, 4, 5, 6},
                                  99999999,
                                  3,
                                  "d|2011.01.02__03-04-05-006__n_99999999__hour.z7m"}));

}  // namespace
