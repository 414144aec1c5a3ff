#include "common/hunits/cp1251.h"

#include <cstdint>

namespace {

// Unicode code points of the bytes 0x80-0xBF; 0 marks the one undefined byte (0x98).
// The bytes 0xC0-0xFF are the letters А-я, U+0410-U+044F, in order.
constexpr char32_t upper_half[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88-8F
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98-9F
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0-A7
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8-AF
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0-B7
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8-BF
};

constexpr char32_t first_letter = 0x0410;  // А, byte 0xC0
constexpr char32_t last_letter = 0x044F;   // я, byte 0xFF
constexpr char32_t replacement_char = 0xFFFD;

// Returns the byte of `cp` in code page 1251, or -1 when the code page has none.
int cp1251_byte_of(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<int>(cp);
    }
    if (cp >= first_letter && cp <= last_letter) {
        return static_cast<int>(0xC0 + (cp - first_letter));
    }
    for (int i = 0; i < 64; ++i) {
        if (upper_half[i] == cp && cp != 0) {
            return 0x80 + i;
        }
    }
    return -1;
}

char32_t code_point_of(unsigned char byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= 0xC0) {
        return first_letter + (byte - 0xC0);
    }
    const char32_t cp = upper_half[byte - 0x80];
    return cp != 0 ? cp : replacement_char;
}

// Decodes one UTF-8 sequence at `pos`; returns false (and consumes one byte) when the
// bytes there are not well-formed UTF-8.
bool decode_utf8(const std::string& s, size_t& pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    size_t length = 0;
    char32_t min_value = 0;
    if (lead < 0x80) {
        cp = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        min_value = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        min_value = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        min_value = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + length > s.size()) {
        ++pos;
        return false;
    }
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min_value || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += length;
    return true;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string utf8_to_cp1251(const std::string& utf8, bool* ok, char replacement) {
    std::string out;
    out.reserve(utf8.size());
    bool all_held = true;
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const int byte = decode_utf8(utf8, pos, cp) ? cp1251_byte_of(cp) : -1;
        if (byte >= 0) {
            out += static_cast<char>(byte);
            continue;
        }
        all_held = false;
        if (replacement != 0) {
            out += replacement;
        }
    }
    if (ok != nullptr) {
        *ok = all_held;
    }
    return out;
}

std::string cp1251_to_utf8(const std::string& cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (const char c : cp1251) {
        append_utf8(out, code_point_of(static_cast<unsigned char>(c)));
    }
    return out;
}
