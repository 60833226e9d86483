#pragma once

// The one place where the class factory meets the add-in object: CreateAddinObject makes a
// new add-in object (the COM class Tarvex) and answers it for `iid`.

#include <windows.h>

namespace tarvex::framework {
class TadxFactory;
}

namespace tarvex::server {

/// Creates a new add-in object for `factory` and queries it for `iid` into `object` (null
/// on failure). Answers the COM result; never throws.
HRESULT CreateAddinObject(const framework::TadxFactory& factory, REFIID iid,
                          void** object) noexcept;

} // namespace tarvex::server
