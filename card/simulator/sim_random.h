// A small seeded generator for the simulator's fault injection and demo content. Its
// sequence is fixed by the seed alone, on every platform and standard library (unlike
// the standard distributions), so a noisy run or a demo card can be reproduced.
#pragma once

#include <cstdint>

class t_sim_random {
  public:
    explicit t_sim_random(uint64_t seed = 0) : state_(seed) {}

    // splitmix64.
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1), 53 bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // Uniform in [low, high).
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    // Uniform integer in [low, high]; the tiny modulo bias does not matter here.
    int64_t integer(int64_t low, int64_t high) {
        return low + static_cast<int64_t>(next() % static_cast<uint64_t>(high - low + 1));
    }

  private:
    uint64_t state_;
};
