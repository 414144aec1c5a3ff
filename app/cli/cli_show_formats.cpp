#include "app/cli/cli_show_formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>
#include <vector>

#include "common/hunits/h_clock.h"
#include "common/hunits/uhFuncs.h"

namespace {

// Shortest text that reads back as the same value; "nan", "inf", "-inf" for the others.
template <typename T>
std::string number_text(T value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Local date-time of a day count; the number itself when it is no date (a foreign file).
std::string date_time_text(double ole) {
    constexpr double first_day = -657434;       // 01.01.0100
    constexpr double after_last_day = 2958466;  // 01.01.10000
    if (!(ole >= first_day && ole < after_last_day)) {
        return number_text(ole);
    }
    return format_local_time(from_ole_date(ole), "dd.mm.yyyy hh:nn:ss.zzz");
}

std::string archive_kind_text(uint8_t kind) {
    if (kind == archive_kind_hourly) {
        return "часовой (7)";
    }
    if (kind == archive_kind_daily) {
        return "суточный (0)";
    }
    return "неизвестный (" + std::to_string(kind) + ")";
}

std::string record_format_text(uint8_t format) {
    const char* version = format == record_format_2t4v   ? "2T4V"
                          : format == record_format_3t3v ? "3T3V"
                          : format == record_format_4t4v ? "4T4V"
                                                         : "неизвестный";
    return format_str("0x%02X (%s)", format, version);
}

struct t_float_column {
    const char* csv_name;
    const char* title;
    float HData::*field;
};

const t_float_column float_columns[] = {
    {"value1", "Знач.1", &HData::value1}, {"value2", "Знач.2", &HData::value2},
    {"t_ch1", "T1", &HData::t_ch1},       {"t_ch2", "T2", &HData::t_ch2},
    {"t_ch3", "T3", &HData::t_ch3},       {"t_ch4", "T4", &HData::t_ch4},
    {"v_ch1", "V1", &HData::v_ch1},       {"v_ch2", "V2", &HData::v_ch2},
    {"v_ch3", "V3", &HData::v_ch3},       {"v_ch4", "V4", &HData::v_ch4},
    {"aux1", "Доп.1", &HData::aux1},      {"aux2", "Доп.2", &HData::aux2},
};

struct t_header_float {
    const char* name;
    float t_archive_header::*field;
};

const t_header_float header_floats[] = {
    {"head1", &t_archive_header::head1},
    {"head2", &t_archive_header::head2},
    {"head3", &t_archive_header::head3},
    {"head4", &t_archive_header::head4},
    {"head5", &t_archive_header::head5},
    {"head6", &t_archive_header::head6},
    {"head7", &t_archive_header::head7},
    {"head8", &t_archive_header::head8},
    {"head9", &t_archive_header::head9},
    {"head10", &t_archive_header::head10},
    {"head11", &t_archive_header::head11},
    {"head12", &t_archive_header::head12},
    {"head12_copy", &t_archive_header::head12_copy},
    {"aux1", &t_archive_header::aux1},
    {"aux2", &t_archive_header::aux2},
};

// Columns on the terminal: UTF-8 continuation bytes take none.
size_t text_width(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void write_table(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], text_width(row[i]));
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            line += std::string(widths[i] - text_width(row[i]) + (i == 0 ? 0 : 2), ' ') + row[i];
        }
        out << line << "\n";
    }
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

// Length of the well-formed UTF-8 sequence at text[i] (no overlong forms, surrogates or
// values above U+10FFFF), 0 when there is none.
size_t utf8_sequence_length(const std::string& text, size_t i) {
    const auto byte = [&text](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// A JSON string: quotes, backslashes and control characters escaped, and bytes that are
// not UTF-8 (a file name may hold any) replaced by U+FFFD.
std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            out += format_str("\\u%04x", c);
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const size_t length = utf8_sequence_length(text, i); length != 0) {
            out += text.substr(i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out + "\"";
}

std::string json_number(float value) {
    return std::isfinite(value) ? number_text(value) : "null";
}
std::string json_number(double value) {
    return std::isfinite(value) ? number_text(value) : "null";
}

}  // namespace

void write_archive_text(std::ostream& out, const t_zor73_process& archive,
                        const std::string& file_name) {
    const t_archive_header& h = archive.header;
    std::vector<std::vector<std::string>> header_rows = {
        {"Файл:", file_name},
        {"Вид архива:", archive_kind_text(h.archive_kind)},
        {"Номер ПУ:", std::to_string(h.device_number)},
        {"Формат записей:", record_format_text(h.record_format)},
        {"Время считывания:", date_time_text(h.read_time)},
        {"Слово заголовка:", std::to_string(h.head_word)},
    };
    for (const t_header_float& f : header_floats) {
        header_rows.push_back({std::string(f.name) + ":", number_text(h.*f.field)});
    }
    header_rows.push_back({"Записей:", std::to_string(archive.records.size())});
    for (const auto& row : header_rows) {
        out << row[0] << std::string(20 - std::min<size_t>(20, text_width(row[0])), ' ') << row[1]
            << "\n";
    }
    if (archive.records.empty()) {
        return;
    }
    out << "\n";
    std::vector<std::vector<std::string>> rows;
    rows.push_back({"№", "Дата", "Час"});
    for (const t_float_column& column : float_columns) {
        rows.back().push_back(column.title);
    }
    for (size_t i = 0; i < archive.records.size(); ++i) {
        const HData& r = archive.records[i];
        rows.push_back({std::to_string(i), r.date_text, std::to_string(r.hour)});
        for (const t_float_column& column : float_columns) {
            rows.back().push_back(number_text(r.*column.field));
        }
    }
    write_table(out, rows);
}

void write_archive_csv(std::ostream& out, const t_zor73_process& archive) {
    out << "date_text,hour";
    for (const t_float_column& column : float_columns) {
        out << "," << column.csv_name;
    }
    out << "\n";
    for (const HData& r : archive.records) {
        out << csv_field(r.date_text) << "," << std::to_string(r.hour);
        for (const t_float_column& column : float_columns) {
            out << "," << number_text(r.*column.field);
        }
        out << "\n";
    }
}

void write_archive_json(std::ostream& out, const t_zor73_process& archive,
                        const std::string& file_name) {
    const t_archive_header& h = archive.header;
    out << "{\n  \"file\": " << json_string(file_name) << ",\n  \"header\": {"
        << "\"archive_kind\": " << std::to_string(h.archive_kind)
        << ", \"device_number\": " << std::to_string(h.device_number)
        << ", \"record_format\": " << std::to_string(h.record_format)
        << ", \"head_word\": " << std::to_string(h.head_word)
        << ", \"read_time\": " << json_number(h.read_time)
        << ", \"read_time_text\": " << json_string(date_time_text(h.read_time));
    for (const t_header_float& f : header_floats) {
        out << ", \"" << f.name << "\": " << json_number(h.*f.field);
    }
    out << "},\n  \"records\": [";
    for (size_t i = 0; i < archive.records.size(); ++i) {
        const HData& r = archive.records[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"date_text\": " << json_string(r.date_text)
            << ", \"hour\": " << std::to_string(r.hour);
        for (const t_float_column& column : float_columns) {
            out << ", \"" << column.csv_name << "\": " << json_number(r.*column.field);
        }
        out << "}";
    }
    out << (archive.records.empty() ? "]\n}\n" : "\n  ]\n}\n");
}
