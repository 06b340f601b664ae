// The process-wide current platform instance.
#include "platform/Platform.h"

#include <stdexcept>

namespace qm {

namespace {
Platform* g_current = nullptr;
}

Platform& CurrentPlatform() {
    if (g_current == nullptr) throw std::logic_error("no platform installed");
    return *g_current;
}

void SetCurrentPlatform(Platform* platform) { g_current = platform; }

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(g_current) { g_current = &platform; }

ScopedPlatform::~ScopedPlatform() { g_current = previous_; }

}  // namespace qm
