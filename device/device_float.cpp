// The device's number formats. Products with the decimal constants are rounded once, from the
// exact rational value, so no double rounding through an intermediate double can occur.
#include <cmath>

#include "device/U_kalden_common.h"

namespace {

using u128 = unsigned __int128;

// The float32 nearest to num / den * 2^exp2 (ties to even). num and den stay below 2^90 and
// the result in float32's normal range, which holds for every caller in this file.
float nearest_float(u128 num, u128 den, int exp2) {
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
    return std::ldexp(static_cast<float>(static_cast<uint32_t>(q)), exp2 - shift);
}

// The 23 counted mantissa bits of a device float, or 0 when the bytes are invalid.
uint32_t device_mantissa(uint8_t e, uint8_t m_hi, uint8_t m_mid, uint8_t m_lo) {
    if (m_hi >= 0x80 || e == 0 || e > 100) {
        return 0;
    }
    const uint32_t m = (1u << 23) | (uint32_t{m_hi} << 16) | (uint32_t{m_mid} << 8) | m_lo;
    return m >> 1;  // bit 0 of m_lo does not count
}

constexpr int device_exponent_bias = 61;  // value = mantissa * 2^(e - 61)

// K = 1.000002550006528 and 0.0214647888 as exact fractions.
constexpr uint64_t k_numerator = 1000002550006528ull;
constexpr uint64_t k_denominator = 1000000000000000ull;
constexpr uint64_t aux2_numerator = 214647888ull;
constexpr uint64_t aux2_denominator = 10000000000ull;

}  // namespace

float decode_device_float(uint8_t e, uint8_t m_hi, uint8_t m_mid, uint8_t m_lo) {
    const uint32_t mantissa = device_mantissa(e, m_hi, m_mid, m_lo);
    if (mantissa == 0) {
        return 0.0f;
    }
    // A 23-bit integer times a power of two within float32's normal range: exact.
    return std::ldexp(static_cast<float>(mantissa), int{e} - device_exponent_bias);
}

float decode_device_float_times_k(uint8_t e, uint8_t m_hi, uint8_t m_mid) {
    const uint32_t mantissa = device_mantissa(e, m_hi, m_mid, 0);
    return nearest_float(u128{mantissa} * k_numerator, k_denominator,
                         int{e} - device_exponent_bias);
}

float decode_scaled16(uint8_t hi, uint8_t lo) {
    const uint32_t n = (uint32_t{hi} << 8) | lo;
    return nearest_float(n, 100, 0);
}

float decode_aux1(uint8_t b) {
    return static_cast<float>(int{b} - 103);
}

float decode_aux2(uint8_t b) {
    return nearest_float(u128{b} * aux2_numerator, aux2_denominator, 0);
}
