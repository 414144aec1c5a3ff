// The device value encoders against the decoding rules.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "card/simulator/device_value_encoding.h"
#include "card/simulator/sim_random.h"
#include "device_value_reference.h"

namespace {

using t_bytes4 = std::array<uint8_t, 4>;

double decode4(const t_bytes4& b) {
    return reference_device_float(b[0], b[1], b[2], b[3]);
}

TEST(DeviceFloatEncoding, KnownValuesGiveTheirBytes) {
    struct t_case {
        double value;
        t_bytes4 bytes;
    };
    const t_case cases[] = {
        {1.0, {0x00, 0x00, 0x00, 0x27}},
        {2.5, {0x20, 0x00, 0x00, 0x28}},
        {200.0, {0x48, 0x00, 0x00, 0x2E}},
        {1.0 + std::ldexp(1.0, -22), {0x00, 0x00, 0x02, 0x27}},
        {std::ldexp(1.0, 62) - std::ldexp(1.0, 39), {0x7F, 0xFF, 0xFE, 0x64}},
        {std::ldexp(1.0, -38), {0x00, 0x00, 0x00, 0x01}},
        {0.0, {0x00, 0x00, 0x00, 0x00}},
        // Outside the range: no sign, nothing beyond the largest, 0 below half the smallest.
        {-5.0, {0x00, 0x00, 0x00, 0x00}},
        {1e30, {0x7F, 0xFF, 0xFE, 0x64}},
        {std::ldexp(1.0, -40), {0x00, 0x00, 0x00, 0x00}},
        {std::ldexp(1.0, -39), {0x00, 0x00, 0x00, 0x01}},
    };
    for (const t_case& c : cases) {
        EXPECT_EQ(encode_device_float4(c.value), c.bytes) << c.value;
    }
    EXPECT_EQ(encode_device_float3(2.5), (std::array<uint8_t, 3>{0x20, 0x00, 0x28}));
}

TEST(DeviceFloatEncoding, EveryValueOfTheFormatsEncodesToItsOwnBytes) {
    t_sim_random random(3);
    for (int e = 1; e <= 100; ++e) {
        // The 4-byte form: a spread of fractions (bit 0 of m_lo does not count: written 0).
        for (uint32_t fraction : {0u, 1u, 0x7Fu, 0x8000u, 0x200000u, 0x3FFFFFu}) {
            const t_bytes4 bytes{
                static_cast<uint8_t>(fraction >> 15), static_cast<uint8_t>(fraction >> 7),
                static_cast<uint8_t>((fraction & 0x7F) << 1), static_cast<uint8_t>(e)};
            ASSERT_EQ(encode_device_float4(decode4(bytes)), bytes) << e << " " << fraction;
        }
        for (int i = 0; i < 50; ++i) {
            const t_bytes4 bytes{static_cast<uint8_t>(random.integer(0, 0x7F)),
                                 static_cast<uint8_t>(random.integer(0, 0xFF)),
                                 static_cast<uint8_t>(random.integer(0, 0x7F) * 2),
                                 static_cast<uint8_t>(e)};
            ASSERT_EQ(encode_device_float4(decode4(bytes)), bytes);
        }
        // The 3-byte form: all of it.
        for (int m_hi = 0; m_hi < 0x80; ++m_hi) {
            for (int m_mid = 0; m_mid < 0x100; ++m_mid) {
                const std::array<uint8_t, 3> bytes{static_cast<uint8_t>(m_hi),
                                                   static_cast<uint8_t>(m_mid),
                                                   static_cast<uint8_t>(e)};
                ASSERT_EQ(encode_device_float3(reference_device_float3(bytes[0], bytes[1], e)),
                          bytes);
            }
        }
    }
}

TEST(DeviceFloatEncoding, OtherValuesEncodeToTheNearestValueOfTheFormat) {
    t_sim_random random(11);
    for (int i = 0; i < 20000; ++i) {
        const double x =
            std::ldexp(random.uniform(1.0, 2.0), static_cast<int>(random.integer(-37, 60)));
        const t_bytes4 b = encode_device_float4(x);
        const double step4 = std::ldexp(1.0, b[3] - 61);  // one unit of the 23-bit significand
        ASSERT_LE(std::fabs(decode4(b) - x), step4 / 2) << x;

        const std::array<uint8_t, 3> b3 = encode_device_float3(x);
        const double step3 = std::ldexp(1.0, b3[2] - 54);  // 16-bit significand
        ASSERT_LE(std::fabs(reference_device_float3(b3[0], b3[1], b3[2]) - x), step3 / 2) << x;
    }
}

TEST(ScaledValueEncoding, EveryStoredValueEncodesToItsOwnBytes) {
    for (int n = 0; n <= 0xFFFF; ++n) {
        const std::array<uint8_t, 2> bytes{static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
        ASSERT_EQ(encode_scaled16(reference_scaled16(bytes[0], bytes[1])), bytes) << n;
    }
    EXPECT_EQ(encode_scaled16(75.004), (std::array<uint8_t, 2>{0x1D, 0x4C}));  // 7500
    EXPECT_EQ(encode_scaled16(-3.0), (std::array<uint8_t, 2>{0x00, 0x00}));
    EXPECT_EQ(encode_scaled16(1000.0), (std::array<uint8_t, 2>{0xFF, 0xFF}));
}

}  // namespace
