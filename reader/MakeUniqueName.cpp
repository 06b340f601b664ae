// Names for the extracted module: the local date and time, "_" and a
// pseudo-random number drawn right after reseeding from the clock.
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

namespace {

// A 32-bit linear congruential generator (seed * 134775813 + 1); a value
// below Range is the high half of the 64-bit product of the new seed and Range.
class RandomGenerator {
public:
    explicit RandomGenerator(std::uint32_t seed) : seed_(seed) {}
    std::uint32_t Next(std::uint32_t range) {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * range) >> 32);
    }

private:
    std::uint32_t seed_;
};

constexpr std::uint32_t kRandomRange = 16777215;

}  // namespace

std::string MakeUniqueName() {
    Platform& platform = CurrentPlatform();
    SYSTEMTIME utc;
    platform.GetSystemTime(&utc);
    RandomGenerator random(((utc.wHour * 60u + utc.wMinute) * 60u + utc.wSecond) * 1000u + utc.wMilliseconds);

    SYSTEMTIME local;
    platform.GetLocalTime(&local);
    std::string name;
    for (const WORD part : {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                            local.wMilliseconds})
        name += std::to_string(part);
    return name + "_" + std::to_string(random.Next(kRandomRange));
}

}  // namespace qm
