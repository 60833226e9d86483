// Excel's side of the invoke pipeline: the exception Excel raises for a failed call, and
// reading Excel's arguments.

#include "base/error.h"
#include "base/text.h"
#include "sim/excel/excel_objects.h"

namespace tarvex::sim::detail {

RaisedException ExcelException(const ClassInfo& type, const MemberInfo* member) {
    RaisedException raised{u"Microsoft Excel", {}, kExcelError};
    if (member)
        raised.description = ExcelMessage(type, *member);
    return raised;
}

std::u16string ExcelMessage(const ClassInfo& type, const MemberInfo& member) {
    std::string text;
    if (member.method) {
        text = std::string(member.name) + " method of " + std::string(type.name) + " class failed";
    } else {
        text = "Unable to get the " + std::string(member.name) + " property of the " +
               std::string(type.name) + " class";
    }
    return base::Utf8ToUtf16(text);
}

std::int32_t ReadTypedInt(const CallArgs& args, std::uint32_t position, std::int32_t fallback) {
    if (!args.IsGiven(position))
        return fallback;
    try {
        return args.At(position)->ToInt32();
    } catch (const base::Error& error) {
        throw ArgumentFailure{error.Code(), args.ComIndex(position)};
    }
}

std::int32_t ReadVariantInt(const CallArgs& args, std::uint32_t position, std::int32_t fallback) {
    if (!args.IsGiven(position))
        return fallback;
    try {
        return args.At(position)->ToInt32();
    } catch (const base::Error&) {
        throw ExcelFailure{};
    }
}

bool ReadVariantBool(const CallArgs& args, std::uint32_t position, bool fallback) {
    if (!args.IsGiven(position))
        return fallback;
    try {
        return args.At(position)->ToBool();
    } catch (const base::Error&) {
        throw ExcelFailure{};
    }
}

host::Ref<RangeObject> ReadRange(const CallArgs& args, std::uint32_t position) {
    if (!args.IsGiven(position) || args.At(position)->IsNothing())
        return {};
    host::Ref<host::Dispatch> object;
    try {
        object = args.At(position)->ToObject();
    } catch (const base::Error&) {
        throw ExcelFailure{};
    }
    // A Range that this Excel handed out comes back as the same object: over COM the
    // server adapter unwraps to it. Anything else is not a range of these workbooks.
    auto* range = dynamic_cast<RangeObject*>(object.Get());
    if (!range)
        throw ExcelFailure{};
    return host::Ref<RangeObject>(range);
}

std::shared_ptr<SheetModel> LiveSheet(const RangeObject& range) {
    std::shared_ptr<SheetModel> sheet = range.Sheet();
    if (!sheet)
        throw ExcelFailure{};
    return sheet;
}

} // namespace tarvex::sim::detail
