#pragma once

// SimPicture: the OLE picture (IPictureDisp) that the simulated desktop makes from a bitmap.
// It answers the picture's read-only properties as OLE does (Handle, hPal, Type, Width and
// Height in HIMETRIC), and keeps its bitmap for tests and for the simulated Office, which
// shows a button's face from its Picture and Mask.

#include <cstdint>

#include "base/bitmap.h"
#include "host/object.h"

namespace tarvex::sim {

class SimPicture final : public host::RefCounted<host::Dispatch> {
public:
    /// A bitmap picture of `bitmap`; `handle` is the number its Handle property answers.
    SimPicture(base::Bitmap bitmap, std::uint32_t handle);

    /// The pixels the picture shows (a mask's are 0xFFFFFF or 0).
    const base::Bitmap& Bitmap() const noexcept { return m_bitmap; }

    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    base::HResult GetTypeInfoCount(std::uint32_t& count) override;
    base::HResult GetTypeInfo(std::uint32_t index, std::uint32_t locale) override;
    base::HResult GetIDsOfNames(const base::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override;
    base::HResult Invoke(host::DispId member, const base::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override;

private:
    base::Bitmap m_bitmap;
    std::uint32_t m_handle;
};

/// The mask of `bitmap` as a picture shows it: white (0xFFFFFF) where a pixel has the
/// bitmap's transparent colour, black elsewhere.
base::Bitmap MaskOf(const base::Bitmap& bitmap);

} // namespace tarvex::sim
