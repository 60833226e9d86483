#include "framework/server_objects.h"

#include <atomic>

namespace tarvex::framework {

namespace {
std::atomic<long> g_liveObjects{0};
} // namespace

void ServerObjectCreated() noexcept { ++g_liveObjects; }
void ServerObjectDestroyed() noexcept { --g_liveObjects; }
long LiveFrameObjects() noexcept { return g_liveObjects.load(); }

} // namespace tarvex::framework
