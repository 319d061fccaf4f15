#pragma once
// Random streams.
//
// RandomStream is the program's shared uniform stream: the multiplicative
// congruential recurrence x' = 48271 x mod (2^31 - 1) (the recurrence of
// std::minstd_rand), state 1 at start. Each draw advances the state and returns
// x / (2^31 - 1); as x lies in 1 .. 2^31 - 2 the result lies strictly inside
// (0, 1), so it is always below 1. The main routine owns the one stream and
// passes it to whoever draws.
//
// UniformGenerator is the second, independent generator: uniform numbers in
// [0, 1) whose whole state is two 32-bit integers that can be read and set; every
// pair, (0, 0) included, is a valid state. Each draw adds a fixed odd constant to
// the 64-bit state and returns the top 53 bits of a mix of it.
#include <cstdint>
#include <utility>

namespace meru::io {

class RandomStream {
public:
    static constexpr std::uint32_t kModulus = 2147483647u;
    static constexpr std::uint32_t kMultiplier = 48271u;

    // The next number of the stream, in (0, 1).
    double next();
    // Sets the seed: 0 gives the fixed start (state 1, as at program start), a
    // negative value a start from the system clock, a positive value the state
    // value mod (2^31 - 1) (1 when that is 0).
    void seed(long long value);
    // A start from a clock reading or any other number: state 1 + entropy mod (2^31 - 2).
    void seed_from(std::uint64_t entropy);
    std::uint32_t state() const { return state_; }

private:
    std::uint32_t state_ = 1;
};

class UniformGenerator {
public:
    using Seed = std::pair<std::int32_t, std::int32_t>;

    // The next number, in [0, 1).
    double next();
    void put_seed(Seed s);
    Seed get_seed() const;

private:
    std::uint64_t state_ = 0;
};

} // namespace meru::io
