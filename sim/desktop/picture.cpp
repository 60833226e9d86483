#include "sim/desktop/picture.h"

#include <array>
#include <string_view>

#include "host/office/dispids.h"
#include "host/variant.h"

namespace tarvex::sim {

namespace {
// IPictureDisp's properties (DISPID_PICT_*).
constexpr host::DispId kHandle = 0;
constexpr host::DispId kPalette = 2;
constexpr host::DispId kType = 3;
constexpr host::DispId kWidth = 4;
constexpr host::DispId kHeight = 5;
constexpr std::int32_t kPictureTypeBitmap = 1;

struct Property {
    std::u16string_view name;
    host::DispId id;
};
constexpr std::array<Property, 5> kProperties{{
    {u"Handle", kHandle},
    {u"hPal", kPalette},
    {u"Type", kType},
    {u"Width", kWidth},
    {u"Height", kHeight},
}};

// Pixels at 96 dots per inch in HIMETRIC (hundredths of a millimetre), as OLE reports them.
std::int32_t Himetric(int pixels) {
    return static_cast<std::int32_t>((pixels * 2540 + 48) / 96);
}
} // namespace

SimPicture::SimPicture(base::Bitmap bitmap, std::uint32_t handle)
    : m_bitmap(std::move(bitmap))
    , m_handle(handle) {}

base::HResult SimPicture::QueryInterface(const base::Guid& iid, void** object) {
    return host::AnswerQuery(
        iid, object,
        {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
         host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
         host::InterfaceOffer::Of<host::Dispatch>(host::office::iid::PictureDisp, this)});
}

base::HResult SimPicture::GetTypeInfoCount(std::uint32_t& count) {
    count = 0;
    return base::hr::Ok;
}

base::HResult SimPicture::GetTypeInfo(std::uint32_t, std::uint32_t) {
    return base::hr::NotImpl;
}

base::HResult SimPicture::GetIDsOfNames(const base::Guid&, std::span<const std::u16string> names,
                                        std::uint32_t, std::span<host::DispId> ids) {
    if (ids.size() < names.size())
        return base::hr::InvalidArg;
    base::HResult result = base::hr::Ok;
    for (std::size_t i = 0; i < names.size(); ++i) {
        ids[i] = host::dispid::Unknown;
        for (const Property& property : kProperties) {
            if (property.name == names[i])
                ids[i] = property.id;
        }
        if (ids[i] == host::dispid::Unknown)
            result = base::hr::DispUnknownName;
    }
    return result;
}

base::HResult SimPicture::Invoke(host::DispId member, const base::Guid&, std::uint32_t,
                                 host::InvokeFlags flags, const host::DispParams& params,
                                 host::Variant* result, host::ExcepInfo*, std::uint32_t*) {
    // The properties are read-only and take no arguments.
    if ((flags & host::invoke::PropertyGet) == 0)
        return base::hr::DispMemberNotFound;
    if (params.argCount != 0)
        return base::hr::DispBadParamCount;
    host::Variant value;
    switch (member) {
    case kHandle:
        value = host::Variant(static_cast<std::int32_t>(m_handle));
        break;
    case kPalette:
        value = host::Variant(std::int32_t{0});
        break;
    case kType:
        value = host::Variant(kPictureTypeBitmap);
        break;
    case kWidth:
        value = host::Variant(Himetric(m_bitmap.width));
        break;
    case kHeight:
        value = host::Variant(Himetric(m_bitmap.height));
        break;
    default:
        return base::hr::DispMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return base::hr::Ok;
}

base::Bitmap MaskOf(const base::Bitmap& bitmap) {
    base::Bitmap mask;
    mask.width = bitmap.width;
    mask.height = bitmap.height;
    mask.bitsPerPixel = 1;
    if (bitmap.Empty())
        return mask;
    const std::uint32_t transparent = bitmap.TransparentColor();
    mask.pixels.reserve(bitmap.pixels.size());
    for (const std::uint32_t pixel : bitmap.pixels)
        mask.pixels.push_back((pixel & 0x00FFFFFF) == transparent ? 0xFFFFFFu : 0u);
    return mask;
}

} // namespace tarvex::sim
