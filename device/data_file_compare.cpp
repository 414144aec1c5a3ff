// Comparison of two data files: headers, record counts, then record by record.
#include "device/data_file_compare.h"

#include <bit>

#include "device/U_kalden_common.h"

namespace {

// Exact equality; a value is also equal to itself when it is not a number, so a file always
// compares equal to a copy of itself.
bool same_float(float a, float b) {
    return a == b || std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

bool headers_match(const t_archive_header& a, const t_archive_header& b) {
    return a.archive_kind == b.archive_kind && a.head_word == b.head_word &&
           a.device_number == b.device_number && a.record_format == b.record_format;
}

// The floats that a record format fills; the first five are compared for every format.
using t_float_field = float HData::*;
constexpr t_float_field always_compared[] = {&HData::value1, &HData::t_ch1, &HData::t_ch2,
                                             &HData::aux1, &HData::aux2};
constexpr t_float_field compared_2t4v[] = {&HData::value2, &HData::v_ch1, &HData::v_ch2,
                                           &HData::v_ch3, &HData::v_ch4};
constexpr t_float_field compared_3t3v[] = {&HData::value2, &HData::t_ch3, &HData::v_ch1,
                                           &HData::v_ch2,  &HData::v_ch3, &HData::v_ch4};
constexpr t_float_field compared_4t4v[] = {&HData::value2, &HData::t_ch3, &HData::t_ch4,
                                           &HData::v_ch1,  &HData::v_ch2, &HData::v_ch3,
                                           &HData::v_ch4};

std::span<const t_float_field> format_fields(uint8_t record_format) {
    switch (record_format) {
        case record_format_2t4v:
            return compared_2t4v;
        case record_format_3t3v:
            return compared_3t3v;
        case record_format_4t4v:
            return compared_4t4v;
        default:
            return {};
    }
}

bool records_differ(const HData& a, const HData& b, uint8_t record_format) {
    if (a.date_text != b.date_text || a.hour != b.hour) {
        return true;
    }
    auto differs = [&a, &b](t_float_field f) { return !same_float(a.*f, b.*f); };
    for (t_float_field f : always_compared) {
        if (differs(f)) {
            return true;
        }
    }
    for (t_float_field f : format_fields(record_format)) {
        if (differs(f)) {
            return true;
        }
    }
    return false;
}

std::string difference_line(size_t index, const std::string& date1, const std::string& date2) {
    static const std::string prefix = "Найдены различия запись: №";
    static const std::string time_label = ", время записи: dt1 = ";
    static const std::string second_label = " dt2 =";
    const std::string number = std::to_string(index);
    std::string line;
    line.reserve(prefix.size() + number.size() + time_label.size() + date1.size() +
                 second_label.size() + date2.size());
    line.append(prefix).append(number).append(time_label).append(date1);
    line.append(second_label).append(date2);
    return line;
}

void add_line(t_compare_result& result, std::string text,
              t_compare_colour colour = t_compare_colour::normal) {
    result.lines.push_back({std::move(text), colour});
}

}  // namespace

t_compare_result compare_data_files(const std::string& file1, const std::string& file2) {
    t_compare_result result;
    t_zor73_process first;
    if (!first.load_from_file(file1)) {
        result.unloadable_file = 1;
        return result;
    }
    t_zor73_process second;
    if (!second.load_from_file(file2)) {
        result.unloadable_file = 2;
        return result;
    }

    add_line(result, "Сравнение заголовков");
    if (!headers_match(first.header, second.header)) {
        add_line(result, "Ошибка сравнения!", t_compare_colour::red);
    }
    add_line(result, "Сравнение архивов");
    add_line(result, "Сравнение кол-ва записей");
    if (first.records.size() != second.records.size()) {
        add_line(result, "Ошибка: разное кол-во записей в архивах!", t_compare_colour::red);
        return result;
    }
    result.lines.reserve(result.lines.size() + 1 + first.records.size());
    add_line(result, "Сравнение данных записей");
    const uint8_t record_format = first.header.record_format;
    for (size_t i = 0; i < first.records.size(); ++i) {
        const HData& a = first.records[i];
        const HData& b = second.records[i];
        if (records_differ(a, b, record_format)) {
            add_line(result, difference_line(i, a.date_text, b.date_text));
        }
    }
    return result;
}

bool compare_found_differences(const t_compare_result& result) {
    static const std::string difference_prefix = "Найдены различия";
    for (const t_compare_line& line : result.lines) {
        if (line.colour == t_compare_colour::red || line.text.starts_with(difference_prefix)) {
            return true;
        }
    }
    return false;
}
