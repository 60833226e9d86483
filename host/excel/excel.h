#pragma once

// Typed wrappers over Excel's Application and Range, called late-bound by Excel's published
// dispatch ids. They run unchanged over real Excel (through the COM adapters) and over the
// simulated Excel. Every member throws base::Error when Excel reports a failure; a result of
// "nothing" is an empty wrapper, not a failure.

#include <cstdint>
#include <optional>
#include <string>

#include "host/object.h"
#include "host/variant.h"

namespace tarvex::host::excel {

/// An Excel Range (or nothing). Holds one reference to the object.
class Range {
public:
    Range() = default;
    explicit Range(Ref<Dispatch> object) noexcept
        : m_object(std::move(object)) {}

    explicit operator bool() const noexcept { return static_cast<bool>(m_object); }
    Dispatch* Get() const noexcept { return m_object.Get(); }
    const Ref<Dispatch>& Object() const noexcept { return m_object; }

    /// The displayed text, or nothing (Excel's Null) when the cells display different texts.
    std::optional<std::u16string> Text() const;
    std::int32_t Row() const;
    std::int32_t Column() const;
    Range EntireColumn() const;
    Range EntireRow() const;
    /// The worksheet the range lies on.
    Ref<Dispatch> Worksheet() const;

    /// Range.Find with exactly these eight arguments, in Excel's parameter order (no
    /// SearchFormat). Nothing when no cell matches.
    Range Find(const Variant& what, const Range& after, std::int32_t lookIn, std::int32_t lookAt,
               std::int32_t searchOrder, std::int32_t searchDirection, bool matchCase,
               bool matchByte) const;
    /// The same, for a text What.
    Range Find(const std::u16string& what, const Range& after, std::int32_t lookIn,
               std::int32_t lookAt, std::int32_t searchOrder, std::int32_t searchDirection,
               bool matchCase, bool matchByte) const;

    /// Range.FindNext(After), with the settings of the last Find.
    Range FindNext(const Range& after) const;

    /// Range.Address with ReferenceStyle given and RowAbsolute, ColumnAbsolute, External and
    /// RelativeTo omitted: "$C$7" (xlA1) or "R7C3" (xlR1C1).
    std::u16string Address(std::int32_t referenceStyle) const;

    /// Range.AddressLocal, the same in the user's local notation ("Z7S3" in German).
    std::u16string AddressLocal(std::int32_t referenceStyle) const;

    void Activate() const;

private:
    Ref<Dispatch> m_object;
};

/// Excel's Application object.
class Application {
public:
    explicit Application(Ref<Dispatch> object) noexcept
        : m_object(std::move(object)) {}

    Dispatch* Get() const noexcept { return m_object.Get(); }

    /// The active workbook, or null when none is active.
    Ref<Dispatch> ActiveWorkbook() const;
    /// The active sheet of the active workbook (a worksheet or a chart), or null.
    Ref<Dispatch> ActiveSheet() const;
    Range ActiveCell() const;
    /// The selected object (a Range when cells are selected), or null; asked with locale 0.
    Ref<Dispatch> Selection() const;
    /// The version text, such as "16.0".
    std::u16string Version() const;

    /// ConvertFormula(Formula, FromReferenceStyle, ToReferenceStyle, ToAbsolute omitted,
    /// RelativeTo), with the user's default locale: the converted text.
    std::u16string ConvertFormula(const std::u16string& formula, std::int32_t fromStyle,
                                  std::int32_t toStyle, const Range& relativeTo) const;

    /// Application.Range(Cell1) with Cell2 omitted: a range of the active worksheet.
    Range GetRange(const std::u16string& cell1) const;

    /// Application.Intersect(Arg1, Arg2) with the other 28 arguments omitted, locale 0.
    Range Intersect(const Range& first, const Range& second) const;

private:
    Ref<Dispatch> m_object;
};

} // namespace tarvex::host::excel
