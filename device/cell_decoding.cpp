// Decoding of one card cell: the device header, the archive slots by record format, the time
// order and the daily reduction.
#include <algorithm>

#include "common/hunits/h_clock.h"
#include "device/U_kalden_common.h"

namespace {

// Upper T limit of both formats with T channels; 0xA8 also clears values below 1.0.
constexpr float t_channel_max = 180.0f;
constexpr float t_channel_min_4t4v = 1.0f;

bool is_leap_year(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : days[month - 1];
}

std::string zero_padded(int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    }
    return digits;
}

// 4-byte device float at slot or header offset `at`: m_hi, m_mid, m_lo, e.
float float4_at(std::span<const uint8_t> bytes, size_t at) {
    return decode_device_float(bytes[at + 3], bytes[at], bytes[at + 1], bytes[at + 2]);
}
// 3-byte device float: m_hi, m_mid, e.
float float3_at(std::span<const uint8_t> bytes, size_t at) {
    return decode_device_float(bytes[at + 2], bytes[at], bytes[at + 1], 0);
}
float float3_times_k_at(std::span<const uint8_t> bytes, size_t at) {
    return decode_device_float_times_k(bytes[at + 2], bytes[at], bytes[at + 1]);
}
float scaled16_at(std::span<const uint8_t> bytes, size_t at) {
    return decode_scaled16(bytes[at], bytes[at + 1]);
}

void clear_above_max(float& t) {
    if (t > t_channel_max || t < 0.0f) {
        t = 0.0f;
    }
}

void clear_pair_out_of_range(float& first, float& second) {
    auto out_of_range = [](float t) { return t > t_channel_max || t < t_channel_min_4t4v; };
    if (out_of_range(first) || out_of_range(second)) {
        first = 0.0f;
        second = 0.0f;
    }
}

void decode_values_2t4v(std::span<const uint8_t> slot, HData& r) {
    r.value1 = float4_at(slot, 4);
    r.t_ch1 = float3_at(slot, 8);
    r.t_ch2 = float3_at(slot, 11);
    r.v_ch1 = float4_at(slot, 14);
    r.v_ch2 = float4_at(slot, 18);
    r.v_ch3 = float4_at(slot, 22);
    r.v_ch4 = float4_at(slot, 26);
    r.value2 = r.v_ch4;
}

void decode_values_3t3v(std::span<const uint8_t> slot, HData& r) {
    r.value1 = float4_at(slot, 4);
    r.t_ch1 = scaled16_at(slot, 8);
    r.t_ch2 = scaled16_at(slot, 10);
    r.t_ch3 = scaled16_at(slot, 12);
    r.v_ch1 = float4_at(slot, 14);
    r.v_ch2 = float4_at(slot, 18);
    r.v_ch3 = float4_at(slot, 22);
    r.v_ch4 = float4_at(slot, 26);
    r.value2 = r.v_ch4;
    clear_above_max(r.t_ch1);
    clear_above_max(r.t_ch2);
    clear_above_max(r.t_ch3);
}

void decode_values_4t4v(std::span<const uint8_t> slot, HData& r) {
    r.value1 = float3_times_k_at(slot, 4);
    r.t_ch1 = scaled16_at(slot, 7);
    r.t_ch2 = scaled16_at(slot, 9);
    r.v_ch1 = float3_times_k_at(slot, 11);
    r.v_ch2 = float3_times_k_at(slot, 14);
    r.value2 = float3_times_k_at(slot, 17);
    r.t_ch3 = scaled16_at(slot, 20);
    r.t_ch4 = scaled16_at(slot, 22);
    r.v_ch3 = float3_times_k_at(slot, 24);
    r.v_ch4 = float3_times_k_at(slot, 27);
    clear_pair_out_of_range(r.t_ch1, r.t_ch2);
    clear_pair_out_of_range(r.t_ch3, r.t_ch4);
}

t_archive_header decode_header(std::span<const uint8_t> image) {
    t_archive_header h;
    h.record_format = image[62];
    h.head1 = float4_at(image, 2);
    h.head2 = float4_at(image, 6);
    h.head3 = float4_at(image, 10);
    h.aux1 = decode_aux1(image[14]);
    h.aux2 = decode_aux2(image[15]);
    h.head4 = float4_at(image, 16);
    h.head5 = float4_at(image, 20);
    h.head6 = float4_at(image, 24);
    h.head7 = float4_at(image, 28);
    h.head8 = float4_at(image, 32);
    h.head9 = float4_at(image, 36);
    h.head10 = float4_at(image, 40);
    h.head11 = float4_at(image, 44);
    h.head12 = float4_at(image, 48);
    h.head12_copy = h.head12;
    h.head_word = image[52] + 256 * image[53];
    h.device_number = 256 * image[60] + image[61];
    h.archive_kind = archive_kind_hourly;
    h.read_time = to_ole_date(h_clock().now_local());
    return h;
}

bool slot_is_filled(uint8_t day) {
    return day >= 1 && day <= 31;
}

// Sort key of a record: its date taken from date_text ("dd.mm.yyyy") and its hour. A text of
// another form (only possible in a foreign data file) sorts as the earliest date.
int64_t record_time_key(const HData& r) {
    const std::string& s = r.date_text;
    auto number = [&s](size_t at, size_t count) -> int64_t {
        int64_t n = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (s[i] < '0' || s[i] > '9') {
                return -1;
            }
            n = n * 10 + (s[i] - '0');
        }
        return n;
    };
    if (s.size() != 10 || s[2] != '.' || s[5] != '.') {
        return r.hour;
    }
    const int64_t day = number(0, 2), month = number(3, 2), year = number(6, 4);
    if (day < 0 || month < 0 || year < 0) {
        return r.hour;
    }
    return ((year * 100 + month) * 100 + day) * 256 + r.hour;
}

}  // namespace

HData decode_record(uint8_t format, std::span<const uint8_t, cell_slot_size> slot) {
    const int day = slot[0], month = slot[1], year = 2000 + slot[2], hour = slot[3];
    if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month) || hour > 23) {
        throw Exception("Недопустимые дата или час записи архива: день " + std::to_string(day) +
                        ", месяц " + std::to_string(month) + ", год " + std::to_string(year) +
                        ", час " + std::to_string(hour));
    }
    HData r;
    r.date_text = zero_padded(day, 2) + "." + zero_padded(month, 2) + "." + zero_padded(year, 4);
    r.hour = static_cast<uint8_t>(hour);
    r.date_time = to_ole_date({year, month, day, hour, 0, 0, 0});
    r.aux1 = decode_aux1(slot[30]);
    r.aux2 = decode_aux2(slot[31]);
    switch (format) {
        case record_format_2t4v:
            decode_values_2t4v(slot, r);
            break;
        case record_format_3t3v:
            decode_values_3t3v(slot, r);
            break;
        case record_format_4t4v:
            decode_values_4t4v(slot, r);
            break;
        default:
            break;  // unknown format: date, hour and aux fields only
    }
    return r;
}

void t_zor73_process::decode_cell(std::span<const uint8_t> image, bool daily) {
    if (image.size() != cell_image_size) {
        throw Exception("Неверный размер образа ячейки: " + std::to_string(image.size()) +
                        " байт вместо " + std::to_string(cell_image_size));
    }
    // Everything is decoded into a separate object first: a failure leaves this one as it was.
    t_zor73_process decoded;
    decoded.header = decode_header(image);
    decoded.records.reserve(cell_slot_count);
    for (size_t offset = cell_header_size; offset + cell_slot_size <= cell_image_size;
         offset += cell_slot_size) {
        const auto slot = image.subspan(offset).first<cell_slot_size>();
        if (!slot_is_filled(slot[0])) {
            continue;
        }
        try {
            decoded.records.push_back(decode_record(decoded.header.record_format, slot));
        } catch (const Exception& e) {
            throw Exception(std::string(e.what()) + " (слот со смещением " +
                            std::to_string(offset) + ")");
        }
    }
    decoded.sort_by_time();
    if (daily) {
        decoded.convert_to_daily();
    }
    header = decoded.header;
    if (records.empty()) {
        records = std::move(decoded.records);
    } else {
        records.insert(records.end(), std::make_move_iterator(decoded.records.begin()),
                       std::make_move_iterator(decoded.records.end()));
    }
}

void t_zor73_process::sort_by_time() {
    // Sorts record numbers by key, then moves the records into that order in place: no
    // second record list is made.
    std::vector<std::pair<int64_t, size_t>> keyed(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        keyed[i] = {record_time_key(records[i]), i};
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<size_t> source(records.size());  // position i takes the record at source[i]
    for (size_t i = 0; i < keyed.size(); ++i) {
        source[i] = keyed[i].second;
    }
    for (size_t start = 0; start < source.size(); ++start) {
        if (source[start] == start) {
            continue;
        }
        HData first = std::move(records[start]);
        size_t at = start;
        while (source[at] != start) {
            const size_t from = source[at];
            records[at] = std::move(records[from]);
            source[at] = at;
            at = from;
        }
        records[at] = std::move(first);
        source[at] = at;
    }
}

void t_zor73_process::convert_to_daily() {
    if (records.empty()) {
        return;
    }
    header.archive_kind = archive_kind_daily;
    size_t kept = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (i + 1 == records.size() || records[i + 1].date_text != records[i].date_text) {
            if (kept != i) {
                records[kept] = std::move(records[i]);
            }
            ++kept;
        }
    }
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(kept), records.end());
}
