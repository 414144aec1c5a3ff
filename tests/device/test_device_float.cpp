#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "device/U_kalden_common.h"

namespace {

using u128 = unsigned __int128;

// The exact fraction num / den of a decimal constant or of a double / long double value.
struct t_fraction {
    const char* what;
    u128 num;
    u128 den;
};

t_fraction fraction_of(const char* what, long double v, int mantissa_bits) {
    int exponent = 0;
    const long double m = std::frexp(v, &exponent);  // v = m * 2^exponent, 0.5 <= m < 1
    const auto num = static_cast<u128>(std::ldexp(m, mantissa_bits));
    const int den_exp = mantissa_bits - exponent;
    return {what, num, u128{1} << den_exp};
}

// True when `f` is the float32 nearest to the exact value num / den (ties to even). The
// check compares `f` with its two neighbours' midpoints in integer arithmetic, counting in
// units of 2^-48, which every float tested here is a whole multiple of.
bool is_nearest_float(float f, u128 num, u128 den) {
    if (num == 0) {
        return f == 0.0f;
    }
    constexpr int scale = 48;
    auto units = [](float x) {
        return static_cast<u128>(std::ldexp(static_cast<double>(x), scale));
    };
    const float below = std::nextafter(f, 0.0f);
    const float above = std::nextafter(f, INFINITY);
    EXPECT_EQ(std::ldexp(static_cast<double>(below), scale),
              static_cast<double>(units(below)));  // the unit is fine enough
    const u128 twice_value = 2 * (num << scale);   // 2 * value in units, times den
    const u128 low_mid = den * (units(f) + units(below));
    const u128 high_mid = den * (units(f) + units(above));
    const bool even = (units(f) >> (std::ilogb(f) - 23 + scale)) % 2 == 0;
    if (twice_value == low_mid || twice_value == high_mid) {
        return even;
    }
    return low_mid < twice_value && twice_value < high_mid;
}

struct t_device_float_case {
    uint8_t m_hi, m_mid, m_lo, e;
    double expected;
};

class DeviceFloat : public ::testing::TestWithParam<t_device_float_case> {};

TEST_P(DeviceFloat, DecodesToTheExactValue) {
    const auto& c = GetParam();
    EXPECT_EQ(static_cast<double>(decode_device_float(c.e, c.m_hi, c.m_mid, c.m_lo)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    KnownBytes, DeviceFloat,
    ::testing::Values(t_device_float_case{0x00, 0x00, 0x00, 0x27, 1.0},
                      t_device_float_case{0x20, 0x00, 0x00, 0x28, 2.5},
                      t_device_float_case{0x48, 0x00, 0x00, 0x2E, 200.0},
                      t_device_float_case{0x00, 0x00, 0x01, 0x27, 1.0},  // bit 0 ignored
                      t_device_float_case{0x00, 0x00, 0x02, 0x27, 1.0000002384185791},
                      t_device_float_case{0x7F, 0xFF, 0xFF, 0x64, 0x1p62 - 0x1p39},
                      t_device_float_case{0x00, 0x00, 0x00, 0x01, 0x1p-38},
                      t_device_float_case{0x80, 0x00, 0x00, 0x27, 0.0},
                      t_device_float_case{0xFF, 0x12, 0x34, 0x27, 0.0},
                      t_device_float_case{0x10, 0x00, 0x00, 0x00, 0.0},
                      t_device_float_case{0x10, 0x00, 0x00, 0x65, 0.0},
                      t_device_float_case{0x10, 0x00, 0x00, 0xFF, 0.0}));

TEST(DeviceFloat, EveryExponentAndHighByteMatchesTheBitSum) {
    const uint8_t low_bytes[][2] = {{0x00, 0x00}, {0x00, 0x01}, {0x55, 0xAA}, {0xFF, 0xFF}};
    for (int e = 0; e < 256; ++e) {
        for (int m_hi = 0; m_hi < 256; ++m_hi) {
            for (const auto& [m_mid, m_lo] : low_bytes) {
                const bool valid = m_hi < 0x80 && e >= 1 && e <= 100;
                const uint32_t mantissa = (1u << 23) | m_hi << 16 | m_mid << 8 | m_lo;
                double sum = 0;  // bits 23 ... 1 of the mantissa weigh 2^0 ... 2^-22
                for (int k = 0; k <= 22; ++k) {
                    sum += ((mantissa >> (23 - k)) & 1) * std::ldexp(1.0, -k);
                }
                const double expected = valid ? std::ldexp(sum, e - 39) : 0.0;
                ASSERT_EQ(static_cast<double>(decode_device_float(e, m_hi, m_mid, m_lo)), expected)
                    << e << " " << m_hi << " " << int{m_mid} << " " << int{m_lo};
            }
        }
    }
}

TEST(Scaled16, EveryValueIsTheFloatNearestToNOver100) {
    for (uint32_t n = 0; n < 65536; ++n) {
        const float f = decode_scaled16(static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n));
        ASSERT_TRUE(is_nearest_float(f, n, 100)) << n << " -> " << f;
        if (n > 0) {  // the reference has teeth: neither neighbour passes
            ASSERT_FALSE(is_nearest_float(std::nextafter(f, 0.0f), n, 100)) << n;
            ASSERT_FALSE(is_nearest_float(std::nextafter(f, INFINITY), n, 100)) << n;
        }
    }
    EXPECT_EQ(decode_scaled16(0x46, 0x50), 180.0f);
    EXPECT_GT(decode_scaled16(0x46, 0x51), 180.0f);
}

// The constants are written as decimals; their double and extended-precision values give
// the same float32 results for every input, so it does not matter which one is meant.
TEST(ConstantProducts, TimesKIsCorrectlyRoundedForEveryMantissaAndExponent) {
    const t_fraction k_values[] = {
        {"decimal K", 1000002550006528, 1000000000000000},
        fraction_of("double K", 1.000002550006528, 53),
        fraction_of("long double K", 1.000002550006528L, std::numeric_limits<long double>::digits),
    };
    constexpr int unit_exponent = 54;  // with e = 54 the device float is its 16-bit mantissa
    for (int m_hi = 0; m_hi < 0x80; ++m_hi) {
        for (int m_mid = 0; m_mid < 256; ++m_mid) {
            const float product = decode_device_float_times_k(unit_exponent, m_hi, m_mid);
            const auto j = static_cast<u128>(decode_device_float(unit_exponent, m_hi, m_mid, 0));
            for (const t_fraction& k : k_values) {
                ASSERT_TRUE(is_nearest_float(product, j * k.num, k.den))
                    << k.what << " " << m_hi << " " << m_mid;
            }
            // Other exponents scale the exact product and its rounding by a power of two.
            for (int e = 1; e <= 100; ++e) {
                ASSERT_EQ(decode_device_float_times_k(e, m_hi, m_mid),
                          std::ldexp(product, e - unit_exponent))
                    << m_hi << " " << m_mid << " " << e;
            }
        }
    }
    EXPECT_EQ(decode_device_float_times_k(0, 0x10, 0x20), 0.0f);
    EXPECT_EQ(decode_device_float_times_k(0x27, 0x80, 0x00), 0.0f);
}

TEST(ConstantProducts, Aux2IsCorrectlyRoundedForEveryByte) {
    const t_fraction c_values[] = {
        {"decimal", 214647888, 10000000000},
        fraction_of("double", 0.0214647888, 53),
        fraction_of("long double", 0.0214647888L, std::numeric_limits<long double>::digits),
    };
    for (uint32_t b = 0; b < 256; ++b) {
        for (const t_fraction& c : c_values) {
            ASSERT_TRUE(is_nearest_float(decode_aux2(static_cast<uint8_t>(b)), b * c.num, c.den))
                << c.what << " " << b;
        }
    }
}

TEST(ConstantProducts, Aux1IsTheByteLess103) {
    EXPECT_EQ(decode_aux1(0), -103.0f);
    EXPECT_EQ(decode_aux1(103), 0.0f);
    EXPECT_EQ(decode_aux1(255), 152.0f);
}

}  // namespace
