// The device's number formats. Products with the decimal constants are rounded once, from the
// exact fraction, so no double rounding through an intermediate double can occur. The exact
// results are computed once into tables, which decoding then only looks up.
#include <bit>
#include <vector>

#include "device/U_kalden_common.h"

namespace {

using u128 = unsigned __int128;

// 2^exponent as float32, for exponents of the normal range.
float power_of_two(int exponent) {
    return std::bit_cast<float>(static_cast<uint32_t>(exponent + 127) << 23);
}

// The float32 nearest to num / den (ties to even), for 0 < num / den within float32's
// normal range and num, den below 2^90.
float nearest_float(u128 num, u128 den) {
    if (num == 0) {
        return 0.0f;
    }
    int shift = 0;  // num / den was multiplied by 2^shift
    while (num >= (den << 24)) {
        den <<= 1;
        --shift;
    }
    while (num < (den << 23)) {
        num <<= 1;
        ++shift;
    }
    u128 q = num / den;  // 2^23 <= q < 2^24
    const u128 twice_rest = 2 * (num % den);
    if (twice_rest > den || (twice_rest == den && (q & 1) != 0)) {
        ++q;  // may reach 2^24, which float32 still holds exactly
    }
    return static_cast<float>(static_cast<uint32_t>(q)) * power_of_two(-shift);
}

// The 23 counted mantissa bits of a device float (2^22 ... 2^23 - 1), or 0 when the bytes
// are invalid.
uint32_t device_mantissa(uint8_t e, uint8_t m_hi, uint8_t m_mid, uint8_t m_lo) {
    if (m_hi >= 0x80 || e == 0 || e > 100) {
        return 0;
    }
    const uint32_t m = (1u << 23) | (uint32_t{m_hi} << 16) | (uint32_t{m_mid} << 8) | m_lo;
    return m >> 1;  // bit 0 of m_lo does not count
}

// value = mantissa * 2^(e - 61)
constexpr int device_exponent_bias = 61;

// K = 1.000002550006528 and 0.0214647888 as exact fractions.
constexpr uint64_t k_numerator = 1000002550006528ull;
constexpr uint64_t k_denominator = 1000000000000000ull;
constexpr uint64_t aux2_numerator = 214647888ull;
constexpr uint64_t aux2_denominator = 10000000000ull;

// The mantissa of a 3-byte device float is 2^22 + m_hi * 2^15 + m_mid * 2^7: with e = 54 the
// value is the 16-bit number 2^15 + 256 * m_hi + m_mid. Other exponents scale the exact
// product and its rounding by a power of two.
constexpr int k_table_exponent = 54;

const std::vector<float>& times_k_table() {
    static const std::vector<float> table = [] {
        std::vector<float> t(1u << 15);
        for (uint32_t i = 0; i < t.size(); ++i) {
            t[i] = nearest_float(u128{(1u << 15) + i} * k_numerator, k_denominator);
        }
        return t;
    }();
    return table;
}

const std::vector<float>& scaled16_table() {
    static const std::vector<float> table = [] {
        std::vector<float> t(1u << 16);
        for (uint32_t n = 0; n < t.size(); ++n) {
            t[n] = nearest_float(n, 100);
        }
        return t;
    }();
    return table;
}

const std::vector<float>& aux2_table() {
    static const std::vector<float> table = [] {
        std::vector<float> t(256);
        for (uint32_t b = 0; b < t.size(); ++b) {
            t[b] = nearest_float(u128{b} * aux2_numerator, aux2_denominator);
        }
        return t;
    }();
    return table;
}

}  // namespace

float decode_device_float(uint8_t e, uint8_t m_hi, uint8_t m_mid, uint8_t m_lo) {
    const uint32_t mantissa = device_mantissa(e, m_hi, m_mid, m_lo);
    if (mantissa == 0) {
        return 0.0f;
    }
    // A 23-bit integer times a power of two within float32's normal range: exact.
    return static_cast<float>(mantissa) * power_of_two(int{e} - device_exponent_bias);
}

float decode_device_float_times_k(uint8_t e, uint8_t m_hi, uint8_t m_mid) {
    if (device_mantissa(e, m_hi, m_mid, 0) == 0) {
        return 0.0f;
    }
    const float at_table_exponent = times_k_table()[uint32_t{m_hi} << 8 | m_mid];
    return at_table_exponent * power_of_two(int{e} - k_table_exponent);
}

float decode_scaled16(uint8_t hi, uint8_t lo) {
    return scaled16_table()[uint32_t{hi} << 8 | lo];
}

float decode_aux1(uint8_t b) {
    return static_cast<float>(int{b} - 103);
}

float decode_aux2(uint8_t b) {
    return aux2_table()[b];
}
