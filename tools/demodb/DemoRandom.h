#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace tarnwick::demo {

// A small generator of our own (SplitMix64) instead of <random>: the standard distributions
// differ between library implementations, and the demo database must be the same for the same
// seed wherever it is built.
class DemoRandom
{
public:
    explicit DemoRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. n-1 for n > 0 (multiply-shift; the bias is below 2^-32 for the sizes used here).
    int below(int n)
    {
        return static_cast<int>((static_cast<unsigned __int128>(next()) * unsigned(n)) >> 64);
    }

    int between(int lowest, int highest) { return lowest + below(highest - lowest + 1); }

    // Uniform in [0, 1).
    double unit() { return double(next() >> 11) * 0x1.0p-53; }

    bool chance(double p) { return unit() < p; }

    template <typename T> const T &pick(const std::vector<T> &items)
    {
        return items[std::size_t(below(int(items.size())))];
    }

    template <typename T> void shuffle(std::vector<T> &items)
    {
        for (std::size_t i = items.size(); i > 1; --i)
            std::swap(items[i - 1], items[std::size_t(below(int(i)))]);
    }

private:
    std::uint64_t m_state;
};

} // namespace tarnwick::demo
