#pragma once

// The simulated Excel's objects as seen over the seam. They run through the simulated
// applications' invoke pipeline (sim/automation: call log, failure injection, member and
// argument checks) and answer failures with Excel's exception: DISP_E_EXCEPTION from
// "Microsoft Excel" with scode 0x800A03EC and Excel's description of the failed member.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "host/object.h"
#include "host/variant.h"
#include "sim/automation/automation_objects.h"
#include "sim/excel/excel_model.h"

namespace tarvex::sim::detail {

/// Thrown by a member: Excel raises its exception for this call (DISP_E_EXCEPTION with
/// scode 0x800A03EC and "Unable to get the Find property of the Range class").
using ExcelFailure = MemberFailure;

/// Excel's description of a failed call of `member`.
std::u16string ExcelMessage(const ClassInfo& type, const MemberInfo& member);

/// Excel's exception when `member` (null for an unknown one) fails as a whole: an
/// ExcelFailure or an injected DISP_E_EXCEPTION.
RaisedException ExcelException(const ClassInfo& type, const MemberInfo* member);

/// The common part of Excel's objects: they run on Excel's state and raise Excel's exception
/// for failed calls.
template <class... Extra>
class ExcelObject : public SimObject<ExcelState, Extra...> {
protected:
    using SimObject<ExcelState, Extra...>::SimObject;

    RaisedException Failure(const MemberInfo* member) const override {
        return ExcelException(this->Class(), member);
    }
};

/// One of Excel's objects with a single interface of its own.
using PlainExcelObject = SingleInterfaceObject<ExcelObject<>>;

/// Excel's Application, also the container of the AppEvents connection point.
class ApplicationObject final : public ExcelObject<host::ConnectionPointContainer> {
public:
    explicit ApplicationObject(std::weak_ptr<ExcelState> state);

    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    base::HResult FindConnectionPoint(const base::Guid& iid,
                                      host::Ref<host::ConnectionPoint>& point) override;

private:
    const ClassInfo& Class() const noexcept override;
    host::Variant Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) override;

    host::Ref<host::ConnectionPoint> m_events;
};

/// A Workbook: its name.
class WorkbookObject final : public PlainExcelObject {
public:
    WorkbookObject(std::weak_ptr<ExcelState> state, std::weak_ptr<BookModel> book);

private:
    host::Variant Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) override;

    std::weak_ptr<BookModel> m_book;
};

/// A Worksheet: its name, ranges, activation and used range.
class WorksheetObject final : public PlainExcelObject {
public:
    WorksheetObject(std::weak_ptr<ExcelState> state, std::weak_ptr<SheetModel> sheet);

private:
    host::Variant Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) override;

    std::weak_ptr<SheetModel> m_sheet;
};

/// A Range: one or more rectangular areas of one sheet.
class RangeObject final : public PlainExcelObject {
public:
    RangeObject(std::weak_ptr<ExcelState> state, std::weak_ptr<SheetModel> sheet, Areas areas);

    /// The sheet, or null when its workbook has closed.
    std::shared_ptr<SheetModel> Sheet() const;
    /// The first area, the one that Row, Column and the like describe.
    const Area& GetArea() const noexcept { return m_areas.front(); }
    const Areas& GetAreas() const noexcept { return m_areas; }

private:
    host::Variant Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) override;

    host::Variant Find(ExcelState& state, const std::shared_ptr<SheetModel>& sheet,
                       const CallArgs& args);
    host::Variant FindAgain(ExcelState& state, const std::shared_ptr<SheetModel>& sheet,
                            const CallArgs& args, bool previous);
    host::Variant Search(ExcelState& state, const std::shared_ptr<SheetModel>& sheet, Cell after,
                         bool reverse) const;
    host::Variant Address(ExcelState& state, const SheetModel& sheet, const CallArgs& args,
                          bool local);

    std::weak_ptr<SheetModel> m_sheet;
    Areas m_areas;
};

/// A chart: a selected object that is not a Range. It has no members of interest.
class ChartObject final : public PlainExcelObject {
public:
    explicit ChartObject(std::weak_ptr<ExcelState> state);

private:
    host::Variant Call(ExcelState& state, const MemberInfo& member, const CallArgs& args) override;
};

/// The AppEvents connection point of the Application.
class EventPoint final : public host::RefCounted<host::ConnectionPoint> {
public:
    explicit EventPoint(std::weak_ptr<ExcelState> state);

    base::HResult QueryInterface(const base::Guid& iid, void** object) override;
    base::HResult GetConnectionInterface(base::Guid& iid) override;
    base::HResult Advise(host::Unknown* sink, std::uint32_t& cookie) override;
    base::HResult Unadvise(std::uint32_t cookie) override;

private:
    std::weak_ptr<ExcelState> m_state;
};

// Reading arguments. "Typed" parameters are declared with a fixed type in Excel's type
// library (SearchDirection, FromReferenceStyle, ReferenceStyle: I4), so a value that does
// not convert fails as automation's own conversion does (DISP_E_TYPEMISMATCH at that
// argument). Variant parameters are Excel's to judge, and a bad value is Excel's exception.

std::int32_t ReadTypedInt(const CallArgs& args, std::uint32_t position, std::int32_t fallback);
std::int32_t ReadVariantInt(const CallArgs& args, std::uint32_t position, std::int32_t fallback);
bool ReadVariantBool(const CallArgs& args, std::uint32_t position, bool fallback);
/// A Range of this Excel, or null when the argument is omitted or nothing. Anything else is
/// Excel's exception.
host::Ref<RangeObject> ReadRange(const CallArgs& args, std::uint32_t position);
/// The range that a Range-valued argument names, with its live sheet; Excel's exception
/// when its workbook has closed.
std::shared_ptr<SheetModel> LiveSheet(const RangeObject& range);

/// Application.Range and Worksheet.Range: Cell1 (an A1 text, optionally with a sheet name,
/// or a Range) and optional Cell2; the range spanning both. `sheet` is the sheet that
/// unqualified texts refer to.
host::Variant ResolveRange(ExcelState& state, const std::shared_ptr<SheetModel>& sheet,
                           const CallArgs& args, bool sheetMustMatch);

} // namespace tarvex::sim::detail
