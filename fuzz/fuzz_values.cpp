#include "fuzz/fuzz_values.h"

namespace tarvex::fuzz {

std::u16string ConsumeText(FuzzedDataProvider& data, std::size_t maxUnits) {
    const std::size_t length = data.ConsumeIntegralInRange<std::size_t>(0, maxUnits);
    std::u16string text;
    text.reserve(length);
    while (text.size() < length && data.remaining_bytes() > 0) {
        const auto byte = data.ConsumeIntegral<std::uint8_t>();
        if (byte < 0xE0)
            text.push_back(static_cast<char16_t>(byte & 0x7F));
        else
            text.push_back(static_cast<char16_t>(data.ConsumeIntegral<std::uint16_t>()));
    }
    return text;
}

std::u16string ConsumeTextOrChoice(FuzzedDataProvider& data,
                                   std::span<const std::u16string> choices, std::size_t maxUnits) {
    if (choices.empty() || data.ConsumeIntegralInRange<int>(0, 3) == 0)
        return ConsumeText(data, maxUnits);
    return choices[data.ConsumeIntegralInRange<std::size_t>(0, choices.size() - 1)];
}

FuzzArguments::FuzzArguments(FuzzedDataProvider& data,
                             std::span<const host::Ref<host::Dispatch>> objects,
                             std::uint32_t maxCount) {
    const auto count = data.ConsumeIntegralInRange<std::uint32_t>(0, maxCount);
    for (std::uint32_t i = 0; i < count && data.remaining_bytes() > 0; ++i) {
        host::Variant value = ConsumeValue(data, objects);
        if (data.ConsumeBool()) {
            m_targets.push_back(std::move(value));
            m_args.push_back(host::Variant::RefTo(m_targets.back()));
        } else {
            m_args.push_back(std::move(value));
        }
    }
    const auto named = data.ConsumeIntegralInRange<std::size_t>(0, m_args.size());
    for (std::size_t i = 0; i < named; ++i)
        m_namedIds.push_back(data.ConsumeBool()
                                 ? data.ConsumeIntegral<host::DispId>()
                                 : data.ConsumeIntegralInRange<host::DispId>(
                                       -1, static_cast<host::DispId>(m_args.size())));
}

host::DispParams FuzzArguments::Params() {
    host::DispParams params;
    params.args = m_args.empty() ? nullptr : m_args.data();
    params.argCount = static_cast<std::uint32_t>(m_args.size());
    params.namedIds = m_namedIds.empty() ? nullptr : m_namedIds.data();
    params.namedCount = static_cast<std::uint32_t>(m_namedIds.size());
    return params;
}

host::Variant FuzzArguments::ConsumeValue(FuzzedDataProvider& data,
                                          std::span<const host::Ref<host::Dispatch>> objects) {
    switch (data.ConsumeIntegralInRange<int>(0, 9)) {
    case 0:
        return host::Variant();
    case 1:
        return host::Variant::Missing();
    case 2:
        return host::Variant::Null();
    case 3:
        return host::Variant(data.ConsumeBool());
    case 4:
        return host::Variant(data.ConsumeIntegral<std::int32_t>());
    case 5:
        return host::Variant(data.ConsumeFloatingPoint<double>());
    case 6:
        return host::Variant(ConsumeText(data, 64));
    case 7:
        return host::Variant::Nothing();
    case 8:
        return host::Variant::FromError(data.ConsumeIntegral<base::HResult>());
    default:
        if (objects.empty())
            return host::Variant::Nothing();
        return host::Variant(
            objects[data.ConsumeIntegralInRange<std::size_t>(0, objects.size() - 1)]);
    }
}

} // namespace tarvex::fuzz
