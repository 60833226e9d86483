#pragma once

// Values drawn from a fuzzer's input: texts that mix plain ASCII (markup and registry
// punctuation included) with arbitrary UTF-16 units, and automation arguments of every kind
// as COM delivers them (last first, named ids, by-reference flags).

#include <cstdint>
#include <deque>
#include <fuzzer/FuzzedDataProvider.h>
#include <span>
#include <string>
#include <vector>

#include "host/object.h"
#include "host/variant.h"

namespace tarvex::fuzz {

/// A text of at most `maxUnits` UTF-16 units: each input byte below 0xE0 is that ASCII unit
/// (control characters included), a higher one takes the next two bytes as one unit.
std::u16string ConsumeText(FuzzedDataProvider& data, std::size_t maxUnits);

/// One of `choices`, or (about one time in four) a random text.
std::u16string ConsumeTextOrChoice(FuzzedDataProvider& data,
                                   std::span<const std::u16string> choices, std::size_t maxUnits);

/// An Invoke's arguments with the storage that by-reference ones point into.
class FuzzArguments {
public:
    /// Draws up to `maxCount` arguments of every kind, objects from `objects`, some by
    /// reference, and a random number of named-argument ids (valid or not).
    FuzzArguments(FuzzedDataProvider& data, std::span<const host::Ref<host::Dispatch>> objects,
                  std::uint32_t maxCount);

    FuzzArguments(const FuzzArguments&) = delete;
    FuzzArguments& operator=(const FuzzArguments&) = delete;

    /// The DISPPARAMS over the arguments; valid while this object lives.
    host::DispParams Params();

private:
    host::Variant ConsumeValue(FuzzedDataProvider& data,
                               std::span<const host::Ref<host::Dispatch>> objects);

    std::deque<host::Variant> m_targets; // stable addresses for the by-reference arguments
    std::vector<host::Variant> m_args;
    std::vector<host::DispId> m_namedIds;
};

} // namespace tarvex::fuzz
