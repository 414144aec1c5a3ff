// Encoders of the device's value formats, for writing simulated archives. Each is the exact
// inverse of how the archive decoder reads the bytes back: a value that a format can hold
// is encoded so that it decodes to exactly that value; any other value to the nearest one
// the format holds.
//
// 4-byte device float, stored m_hi, m_mid, m_lo, e: the value is
// (2^22 + m_hi * 2^15 + m_mid * 2^7 + m_lo / 2) * 2^(e - 61) with m_hi below 0x80 and e in
// 1 ... 100 (bit 0 of m_lo does not count, so it is written 0); 0 is stored with e = 0.
// 3-byte device float, stored m_hi, m_mid, e: the same with m_lo = 0.
// Scaled 16-bit value, stored high byte first: n * 0.01 for n = 0 ... 65535.
#pragma once

#include <array>
#include <cstdint>

// Archive values of the 4T4V record format are read as the 3-byte float times this factor.
constexpr double device_k_factor = 1.000002550006528;

// Values below half the smallest positive value give 0; negative values give 0; values
// above the largest give the largest.
std::array<uint8_t, 4> encode_device_float4(double value);
std::array<uint8_t, 3> encode_device_float3(double value);
// Rounded to the nearest hundredth, limited to 0 ... 655.35.
std::array<uint8_t, 2> encode_scaled16(double value);
