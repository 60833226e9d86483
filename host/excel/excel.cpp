#include "excel.h"

#include <vector>

#include "base/error.h"
#include "host/automation.h"
#include "host/excel/dispids.h"

namespace tarvex::host::excel {

namespace {
constexpr InvokeFlags kGet = invoke::PropertyGet;
constexpr InvokeFlags kMethod = invoke::Method;

Dispatch& Self(const Ref<Dispatch>& object, const char* what) {
    if (!object)
        throw base::Error(base::hr::Pointer, std::string(what) + " called on nothing");
    return *object;
}

Variant ObjectOrNothing(const Range& range) {
    return range ? Variant(range.Object()) : Variant::Nothing();
}
} // namespace

std::optional<std::u16string> Range::Text() const {
    const Variant text =
        Call(Self(m_object, "Range.Text"), range::Text, kGet, lcid::UserDefault, {}, "Range.Text");
    if (text.IsNull())
        return std::nullopt;
    return text.ToString();
}

std::int32_t Range::Row() const {
    return Call(Self(m_object, "Range.Row"), range::Row, kGet, lcid::UserDefault, {}, "Range.Row")
        .ToInt32();
}

std::int32_t Range::Column() const {
    return Call(Self(m_object, "Range.Column"), range::Column, kGet, lcid::UserDefault, {},
                "Range.Column")
        .ToInt32();
}

Range Range::EntireColumn() const {
    return Range(Call(Self(m_object, "Range.EntireColumn"), range::EntireColumn, kGet,
                      lcid::UserDefault, {}, "Range.EntireColumn")
                     .ToObject());
}

Ref<Dispatch> Range::Worksheet() const {
    return Call(Self(m_object, "Range.Worksheet"), range::Worksheet, kGet, lcid::UserDefault, {},
                "Range.Worksheet")
        .ToObject();
}

Range Range::EntireRow() const {
    return Range(Call(Self(m_object, "Range.EntireRow"), range::EntireRow, kGet, lcid::UserDefault,
                      {}, "Range.EntireRow")
                     .ToObject());
}

Range Range::Find(const Variant& what, const Range& after, std::int32_t lookIn, std::int32_t lookAt,
                  std::int32_t searchOrder, std::int32_t searchDirection, bool matchCase,
                  bool matchByte) const {
    return Range(
        Call(Self(m_object, "Range.Find"), range::Find, kMethod, lcid::UserDefault,
             {what, ObjectOrNothing(after), Variant(lookIn), Variant(lookAt), Variant(searchOrder),
              Variant(searchDirection), Variant(matchCase), Variant(matchByte)},
             "Range.Find")
            .ToObject());
}

Range Range::Find(const std::u16string& what, const Range& after, std::int32_t lookIn,
                  std::int32_t lookAt, std::int32_t searchOrder, std::int32_t searchDirection,
                  bool matchCase, bool matchByte) const {
    return Find(Variant(what), after, lookIn, lookAt, searchOrder, searchDirection, matchCase,
                matchByte);
}

Range Range::FindNext(const Range& after) const {
    return Range(Call(Self(m_object, "Range.FindNext"), range::FindNext, kMethod, lcid::UserDefault,
                      {ObjectOrNothing(after)}, "Range.FindNext")
                     .ToObject());
}

std::u16string Range::Address(std::int32_t referenceStyle) const {
    return Call(Self(m_object, "Range.Address"), range::Address, kGet, lcid::UserDefault,
                {Variant::Missing(), Variant::Missing(), Variant(referenceStyle),
                 Variant::Missing(), Variant::Missing()},
                "Range.Address")
        .ToString();
}

std::u16string Range::AddressLocal(std::int32_t referenceStyle) const {
    return Call(Self(m_object, "Range.AddressLocal"), range::AddressLocal, kGet, lcid::UserDefault,
                {Variant::Missing(), Variant::Missing(), Variant(referenceStyle),
                 Variant::Missing(), Variant::Missing()},
                "Range.AddressLocal")
        .ToString();
}

void Range::Activate() const {
    Call(Self(m_object, "Range.Activate"), range::Activate, kMethod, lcid::UserDefault, {},
         "Range.Activate");
}

Ref<Dispatch> Application::ActiveWorkbook() const {
    return Call(Self(m_object, "Application.ActiveWorkbook"), application::ActiveWorkbook, kGet,
                lcid::UserDefault, {}, "Application.ActiveWorkbook")
        .ToObject();
}

Ref<Dispatch> Application::ActiveSheet() const {
    return Call(Self(m_object, "Application.ActiveSheet"), application::ActiveSheet, kGet,
                lcid::UserDefault, {}, "Application.ActiveSheet")
        .ToObject();
}

Range Application::ActiveCell() const {
    return Range(Call(Self(m_object, "Application.ActiveCell"), application::ActiveCell, kGet,
                      lcid::UserDefault, {}, "Application.ActiveCell")
                     .ToObject());
}

Ref<Dispatch> Application::Selection() const {
    return Call(Self(m_object, "Application.Selection"), application::Selection, kGet,
                lcid::Neutral, {}, "Application.Selection")
        .ToObject();
}

std::u16string Application::Version() const {
    return Call(Self(m_object, "Application.Version"), application::Version, kGet,
                lcid::UserDefault, {}, "Application.Version")
        .ToString();
}

std::u16string Application::ConvertFormula(const std::u16string& formula, std::int32_t fromStyle,
                                           std::int32_t toStyle, const Range& relativeTo) const {
    return Call(Self(m_object, "Application.ConvertFormula"), application::ConvertFormula, kMethod,
                lcid::UserDefault,
                {Variant(formula), Variant(fromStyle), Variant(toStyle), Variant::Missing(),
                 ObjectOrNothing(relativeTo)},
                "Application.ConvertFormula")
        .ToString();
}

Range Application::GetRange(const std::u16string& cell1) const {
    return Range(Call(Self(m_object, "Application.Range"), application::Range, kGet,
                      lcid::UserDefault, {Variant(cell1), Variant::Missing()}, "Application.Range")
                     .ToObject());
}

Range Application::Intersect(const Range& first, const Range& second) const {
    // Excel declares 30 arguments; all but the first two are passed as omitted.
    std::vector<Variant> args(30, Variant::Missing());
    args[0] = ObjectOrNothing(first);
    args[1] = ObjectOrNothing(second);
    return Range(Call(Self(m_object, "Application.Intersect"), application::Intersect, kMethod,
                      lcid::Neutral, args, "Application.Intersect")
                     .ToObject());
}

} // namespace tarvex::host::excel
