#include "platform/platform.h"

#include <atomic>

namespace lirra {

namespace {
std::atomic<Platform*> g_override{nullptr};
}

Platform& OS() {
  Platform* p = g_override.load();
  return p ? *p : NativePlatform();
}

Platform* SetPlatform(Platform* platform) { return g_override.exchange(platform); }

}  // namespace lirra
