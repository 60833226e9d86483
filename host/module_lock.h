#pragma once

// What keeps the add-in's DLL loaded: every object a COM caller may hold (add-in objects,
// server adapters, event sinks, class factories) and every lock taken through
// IClassFactory::LockServer holds one ModuleLock while it lasts, and DllCanUnloadNow answers
// "in use" while any is held.

#include <atomic>

namespace tarvex::host {

class ModuleLock {
public:
    ModuleLock() noexcept { ++Count(); }
    ~ModuleLock() { --Count(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;

    /// How many locks are held in this module. COM may ask from another thread than the
    /// one using the objects.
    static long Held() noexcept { return Count().load(); }

private:
    static std::atomic<long>& Count() noexcept {
        static std::atomic<long> count{0};
        return count;
    }
};

} // namespace tarvex::host
