// How the archive decoder reads the device's value formats, written out literally from
// its rules (the mantissa as a sum of bits), as the reference for the encoders.
#pragma once

#include <cmath>
#include <cstdint>

inline double reference_device_float(uint8_t m_hi, uint8_t m_mid, uint8_t m_lo, uint8_t e) {
    if (m_hi >= 0x80 || e == 0xFF || m_hi == 0xFF || e > 100 || e == 0) {
        return 0.0;
    }
    const uint32_t mantissa = (1u << 23) + m_hi * 65536u + m_mid * 256u + m_lo;
    double sum = 0.0;
    for (int k = 0; k <= 22; ++k) {
        if ((mantissa >> (23 - k)) & 1) {
            sum += std::ldexp(1.0, -k);
        }
    }
    return sum * std::ldexp(1.0, e - 39);
}

inline double reference_device_float3(uint8_t m_hi, uint8_t m_mid, uint8_t e) {
    return reference_device_float(m_hi, m_mid, 0, e);
}

inline float reference_scaled16(uint8_t high, uint8_t low) {
    return static_cast<float>((high * 256 + low) / 100.0);
}
