#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "device/U_kalden_common.h"
#include "device/data_file_compare.h"
#include "support/test_env.h"

namespace {

using t_lines = std::vector<std::pair<std::string, t_compare_colour>>;
constexpr auto normal = t_compare_colour::normal;
constexpr auto red = t_compare_colour::red;

const t_lines four_steps = {{"Сравнение заголовков", normal},
                            {"Сравнение архивов", normal},
                            {"Сравнение кол-ва записей", normal},
                            {"Сравнение данных записей", normal}};

HData record(const std::string& date_text, uint8_t hour) {
    HData r;
    r.date_text = date_text;
    r.hour = hour;
    r.value1 = 1.5f;
    r.t_ch1 = 20.25f;
    r.v_ch4 = 3.0f;
    r.aux2 = 0.25f;
    return r;
}

t_zor73_process archive(uint8_t format, size_t count) {
    t_zor73_process p;
    p.header.archive_kind = 7;
    p.header.device_number = 1234;
    p.header.head_word = 77;
    p.header.record_format = format;
    for (size_t i = 0; i < count; ++i) {
        p.records.push_back(record("0" + std::to_string(i + 1) + ".03.2010", 5));
    }
    return p;
}

class t_compare : public t_test_env {
  protected:
    void write(const t_zor73_process& p, const std::string& path) {
        const std::vector<uint8_t> bytes = encode_data_file(p);
        write_file_bytes(path, std::string(bytes.begin(), bytes.end()));
    }
    t_compare_result compare(const t_zor73_process& first, const t_zor73_process& second) {
        write(first, temp.file("1.z7m"));
        write(second, temp.file("2.z7m"));
        return compare_data_files(temp.file("1.z7m"), temp.file("2.z7m"));
    }
    static t_lines lines_of(const t_compare_result& result) {
        t_lines lines;
        for (const t_compare_line& line : result.lines) {
            lines.emplace_back(line.text, line.colour);
        }
        return lines;
    }
};

TEST_F(t_compare, IdenticalFilesGiveTheFourStepLines) {
    const t_compare_result result = compare(archive(0xFF, 3), archive(0xFF, 3));
    EXPECT_EQ(result.unloadable_file, 0);
    EXPECT_EQ(lines_of(result), four_steps);
    EXPECT_FALSE(compare_found_differences(result));
    EXPECT_EQ(lines_of(compare(archive(0xFF, 0), archive(0xFF, 0))), four_steps);
}

TEST_F(t_compare, ReadTimeAndHeaderFloatsAreNotCompared) {
    t_zor73_process second = archive(0xA8, 2);
    second.header.read_time = 40000.5;
    second.header.head1 = 9.0f;
    second.header.head12 = 9.0f;
    second.header.aux1 = 9.0f;
    second.header.aux2 = 9.0f;
    EXPECT_EQ(lines_of(compare(archive(0xA8, 2), second)), four_steps);
}

TEST_F(t_compare, DifferentKindAndCountEndAfterTheCountError) {
    t_zor73_process daily = archive(0xFF, 2);
    daily.header.archive_kind = 0;
    const t_compare_result result = compare(archive(0xFF, 3), daily);
    EXPECT_EQ(lines_of(result), (t_lines{{"Сравнение заголовков", normal},
                                         {"Ошибка сравнения!", red},
                                         {"Сравнение архивов", normal},
                                         {"Сравнение кол-ва записей", normal},
                                         {"Ошибка: разное кол-во записей в архивах!", red}}));
    EXPECT_TRUE(compare_found_differences(result));
}

TEST_F(t_compare, DifferentDevicesWithEqualCountsAreComparedRecordByRecord) {
    t_zor73_process second = archive(0xFF, 3);
    second.header.device_number = 4321;
    second.header.head_word = 1;
    second.records[0].hour = 6;
    second.records[2].date_text = "09.09.2011";
    const t_compare_result result = compare(archive(0xFF, 3), second);
    EXPECT_EQ(
        lines_of(result),
        (t_lines{
            {"Сравнение заголовков", normal},
            {"Ошибка сравнения!", red},
            {"Сравнение архивов", normal},
            {"Сравнение кол-ва записей", normal},
            {"Сравнение данных записей", normal},
            {"Найдены различия запись: №0, время записи: dt1 = 01.03.2010 dt2 =01.03.2010", normal},
            {"Найдены различия запись: №2, время записи: dt1 = 03.03.2010 dt2 =09.09.2011",
             normal}}));
}

// Which float fields of a record are compared, by the first file's record format.
struct t_field_case {
    uint8_t format;
    const char* compared;  // names of the compared fields
};

class t_compared_fields : public t_compare, public ::testing::WithParamInterface<t_field_case> {};

TEST_P(t_compared_fields, FollowTheFirstFilesFormat) {
    const std::pair<const char*, float HData::*> fields[] = {
        {"value1", &HData::value1}, {"value2", &HData::value2}, {"t_ch1", &HData::t_ch1},
        {"t_ch2", &HData::t_ch2},   {"t_ch3", &HData::t_ch3},   {"t_ch4", &HData::t_ch4},
        {"v_ch1", &HData::v_ch1},   {"v_ch2", &HData::v_ch2},   {"v_ch3", &HData::v_ch3},
        {"v_ch4", &HData::v_ch4},   {"aux1", &HData::aux1},     {"aux2", &HData::aux2}};
    const std::string compared = std::string(" ") + GetParam().compared + " ";
    for (const auto& [name, field] : fields) {
        t_zor73_process second = archive(GetParam().format, 1);
        second.header.record_format = 0x11;  // only the first file's format counts
        second.records[0].*field += 0.5f;
        const bool expected = compared.find(std::string(" ") + name + " ") != std::string::npos;
        EXPECT_EQ(lines_of(compare(archive(GetParam().format, 1), second)).size(),
                  expected ? 6u : 5u)
            << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, t_compared_fields,
    ::testing::Values(
        t_field_case{0xFF, "value1 t_ch1 t_ch2 aux1 aux2 value2 v_ch1 v_ch2 v_ch3 v_ch4"},
        t_field_case{0xAA, "value1 t_ch1 t_ch2 aux1 aux2 value2 t_ch3 v_ch1 v_ch2 v_ch3 v_ch4"},
        t_field_case{0xA8,
                     "value1 t_ch1 t_ch2 aux1 aux2 value2 t_ch3 t_ch4 v_ch1 v_ch2 v_ch3 v_ch4"},
        t_field_case{0x00, "value1 t_ch1 t_ch2 aux1 aux2"}));

TEST_F(t_compare, EqualFloatsAreEqualEvenAsNanOrSignedZero) {
    t_zor73_process first = archive(0xFF, 1);
    t_zor73_process second = archive(0xFF, 1);
    first.records[0].v_ch1 = second.records[0].v_ch1 = std::nanf("");
    first.records[0].v_ch2 = 0.0f;
    second.records[0].v_ch2 = -0.0f;
    EXPECT_EQ(lines_of(compare(first, second)), four_steps);
}

TEST_F(t_compare, NamesTheFileThatCannotBeLoaded) {
    write(archive(0xFF, 1), temp.file("good.z7m"));
    write_file_bytes(temp.file("short.z7m"), "too short");
    const struct {
        std::string file1, file2;
        int unloadable;
    } cases[] = {{".", ".", 1},
                 {temp.file("missing.z7m"), temp.file("good.z7m"), 1},
                 {temp.file("good.z7m"), temp.file("short.z7m"), 2}};
    for (const auto& c : cases) {
        const t_compare_result result = compare_data_files(c.file1, c.file2);
        EXPECT_EQ(result.unloadable_file, c.unloadable) << c.file1 << " " << c.file2;
        EXPECT_TRUE(result.lines.empty());
    }
}

}  // namespace
