#pragma once

// The count of the frame's objects that COM callers may hold (such as an event sink that
// Excel still holds after its component went). The DLL may not be unloaded while any lives.

namespace tarvex::framework {

void ServerObjectCreated() noexcept;
void ServerObjectDestroyed() noexcept;
long LiveFrameObjects() noexcept;

} // namespace tarvex::framework
