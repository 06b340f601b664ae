// The process-wide current platform instance.
#include "platform/Platform.h"

#include <stdexcept>

namespace qm {

namespace {
Platform* g_current = nullptr;
std::uint64_t g_generation = 0;

void Install(Platform* platform) {
    g_current = platform;
    ++g_generation;
}
}

Platform& CurrentPlatform() {
    if (g_current == nullptr) throw std::logic_error("no platform installed");
    return *g_current;
}

void SetCurrentPlatform(Platform* platform) { Install(platform); }

std::uint64_t CurrentPlatformGeneration() { return g_generation; }

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(g_current) { Install(&platform); }

ScopedPlatform::~ScopedPlatform() { Install(previous_); }

}  // namespace qm
