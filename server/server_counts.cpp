#include "server/server_counts.h"

#include <atomic>

#include "framework/server_objects.h"
#include "host/win/com_adapters.h"

namespace tarvex::server {

namespace {
// COM may ask DllCanUnloadNow from another thread than the one using the objects.
std::atomic<long> g_locks{0};
std::atomic<long> g_factories{0};
} // namespace

void AddServerLock() noexcept {
    ++g_locks;
}

void RemoveServerLock() noexcept {
    // An unbalanced unlock must not make the count negative and hide a later lock.
    long current = g_locks.load();
    while (current > 0 && !g_locks.compare_exchange_weak(current, current - 1)) {
    }
}

long ServerLocks() noexcept {
    return g_locks.load();
}

void FactoryCreated() noexcept {
    ++g_factories;
}
void FactoryDestroyed() noexcept {
    --g_factories;
}
long LiveFactories() noexcept {
    return g_factories.load();
}

bool ServerInUse() noexcept {
    return win::LiveServerObjects() != 0 || framework::LiveFrameObjects() != 0 ||
           ServerLocks() != 0 || LiveFactories() != 0;
}

} // namespace tarvex::server
