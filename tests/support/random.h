// The tests' one random generator, seeded: the same seed draws the same
// frame or table on every machine (unlike the standard library's
// distributions), so a failing case can be replayed from the seed that its
// test prints.
#pragma once

#include <cmath>
#include <cstdint>

class TestRandom {
  public:
    explicit TestRandom(std::uint64_t seed) : state_(seed) {}

    // 64 random bits (splitmix64).
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // Uniform integer in [lo, hi].
    int Int(int lo, int hi) { return lo + int(Next() % std::uint64_t(hi - lo + 1)); }
    bool Chance(double p) { return Uniform() < p; }

    // Standard normal (Box-Muller, both values used).
    double Normal() {
        if (haveSpare_) {
            haveSpare_ = false;
            return spare_;
        }
        double u = Uniform(), v = Uniform();
        double r = std::sqrt(-2.0 * std::log(1.0 - u));
        spare_ = r * std::sin(kTwoPi * v);
        haveSpare_ = true;
        return r * std::cos(kTwoPi * v);
    }

  private:
    static constexpr double kTwoPi = 6.283185307179586;
    std::uint64_t state_;
    double spare_ = 0;
    bool haveSpare_ = false;
};
