#pragma once

// What keeps qorvel.dll loaded besides its live objects: the locks taken through
// IClassFactory::LockServer and the class factory objects that callers still hold.

namespace tarvex::server {

/// IClassFactory::LockServer(TRUE) adds a lock, LockServer(FALSE) removes one.
void AddServerLock() noexcept;
void RemoveServerLock() noexcept;
long ServerLocks() noexcept;

/// A class factory object was made or went away.
void FactoryCreated() noexcept;
void FactoryDestroyed() noexcept;
long LiveFactories() noexcept;

/// True while anything keeps the DLL in use: a live object of the server (add-in objects,
/// server adapters, event sinks that Excel still holds after their component went), a lock,
/// or a reference to a class factory.
bool ServerInUse() noexcept;

} // namespace tarvex::server
