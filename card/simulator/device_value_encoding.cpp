#include "card/simulator/device_value_encoding.h"

#include <cmath>

namespace {

constexpr int min_exponent = 1;
constexpr int max_exponent = 100;

struct t_device_float {
    uint32_t fraction;  // significand without its leading 1
    uint8_t e;          // 0: the value 0
};

// The nearest value (significand of `bits` bits, leading 1 included) * 2^(e - 38 - bits).
t_device_float encode_device_float(double value, int bits) {
    const uint32_t lead = uint32_t{1} << (bits - 1);
    if (!(value > 0.0)) {
        return {0, 0};
    }
    int exponent = 0;
    const double f = std::frexp(value, &exponent);  // value = f * 2^exponent, f in [0.5, 1)
    uint64_t significand = static_cast<uint64_t>(std::llround(std::ldexp(f, bits)));
    int e = exponent + 38;
    if (significand == 2 * uint64_t{lead}) {  // rounded up to the next power of two
        significand = lead;
        ++e;
    }
    if (e > max_exponent) {
        return {lead - 1, static_cast<uint8_t>(max_exponent)};
    }
    if (e < min_exponent) {
        // Below the smallest positive value 2^-38: 0 or that value, whichever is nearer.
        return std::ldexp(value, 39) >= 1.0 ? t_device_float{0, min_exponent}
                                            : t_device_float{0, 0};
    }
    return {static_cast<uint32_t>(significand - lead), static_cast<uint8_t>(e)};
}

}  // namespace

std::array<uint8_t, 4> encode_device_float4(double value) {
    const t_device_float d = encode_device_float(value, 23);
    return {static_cast<uint8_t>(d.fraction >> 15), static_cast<uint8_t>(d.fraction >> 7),
            static_cast<uint8_t>((d.fraction & 0x7F) << 1), d.e};
}

std::array<uint8_t, 3> encode_device_float3(double value) {
    const t_device_float d = encode_device_float(value, 16);
    return {static_cast<uint8_t>(d.fraction >> 8), static_cast<uint8_t>(d.fraction), d.e};
}

std::array<uint8_t, 2> encode_scaled16(double value) {
    const double n = std::nearbyint(value * 100.0);
    const uint16_t clamped = !(n > 0.0) ? 0 : n >= 65535.0 ? 65535 : static_cast<uint16_t>(n);
    return {static_cast<uint8_t>(clamped >> 8), static_cast<uint8_t>(clamped)};
}
