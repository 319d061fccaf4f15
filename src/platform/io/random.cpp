#include "platform/io/random.h"

#include <chrono>

namespace meru::io {

double RandomStream::next()
{
    state_ = static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * kMultiplier) % kModulus);
    return static_cast<double>(state_) / static_cast<double>(kModulus);
}

void RandomStream::seed(long long value)
{
    if (value == 0) {
        state_ = 1;
    } else if (value < 0) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        seed_from(static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    } else {
        state_ = static_cast<std::uint32_t>(static_cast<unsigned long long>(value) % kModulus);
        if (state_ == 0) state_ = 1;
    }
}

void RandomStream::seed_from(std::uint64_t entropy)
{
    state_ = 1 + static_cast<std::uint32_t>(entropy % (kModulus - 1));
}

double UniformGenerator::next()
{
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void UniformGenerator::put_seed(Seed s)
{
    state_ = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(s.first)) << 32) |
             static_cast<std::uint32_t>(s.second);
}

UniformGenerator::Seed UniformGenerator::get_seed() const
{
    return {static_cast<std::int32_t>(static_cast<std::uint32_t>(state_ >> 32)),
            static_cast<std::int32_t>(static_cast<std::uint32_t>(state_ & 0xFFFFFFFFu))};
}

} // namespace meru::io
