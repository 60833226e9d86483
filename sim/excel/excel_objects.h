#pragma once

// The simulated Excel's objects as seen over the seam: each answers Invoke by Excel's
// dispatch ids, QueryInterface for exactly its own interface ids, and GetIDsOfNames for its
// member and parameter names.
//
// Every Invoke runs through one pipeline (RunInvoke): record the call, apply injected
// failures, check the member, invoke kind and argument count, call the member, and turn
// what it throws into the result code and exception information Excel would give. Nothing
// thrown inside a member leaves Invoke.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "host/automation.h"
#include "host/object.h"
#include "host/variant.h"
#include "sim/excel/excel_model.h"

namespace tarvex::sim::detail {

/// One member of an object: its dispatch id, name, whether it is a method (else a property
/// get), its parameter names in declaration order, how many of them are required, and the
/// put kinds (invoke::PropertyPut, PropertyPutRef) that a settable property takes.
struct MemberInfo {
    host::DispId id;
    std::string_view name;
    bool method;
    std::span<const std::string_view> params;
    std::uint32_t required;
    host::InvokeFlags puts = 0;
};

/// The members of one object kind, and the class name Excel uses in its messages.
struct ClassInfo {
    std::string_view name;
    std::span<const MemberInfo> members;
};

/// The arguments of one call, by declaration position.
using CallArgs = host::DispArgs;

/// Thrown by a member: the argument at `comIndex` is wrong, and the call fails with `code`
/// (DISP_E_TYPEMISMATCH...) and that index.
struct ArgumentFailure {
    host::HResult code;
    std::uint32_t comIndex;
};

/// Thrown by a member: Excel raises its exception for this call (DISP_E_EXCEPTION with
/// scode 0x800A03EC and "Unable to get the Find property of the Range class").
struct ExcelFailure {};

/// An exception that the host raises for a call: DISP_E_EXCEPTION with this exception
/// information. Members may throw it for a failure of their own.
struct RaisedException {
    std::u16string source;
    std::u16string description;
    host::HResult scode;
};

/// The member calls of one object kind.
class MemberCaller {
public:
    virtual const ClassInfo& Class() const noexcept = 0;
    /// Runs `member`; throws ArgumentFailure, ExcelFailure or host::Error on failure.
    virtual host::Variant Call(ExcelState& state, const MemberInfo& member,
                               const CallArgs& args) = 0;
    /// The exception raised when `member` (null for an unknown one) fails as a whole: an
    /// ExcelFailure or an injected DISP_E_EXCEPTION. Excel's by default.
    virtual RaisedException Failure(const MemberInfo* member) const;

protected:
    ~MemberCaller() = default;
};

/// Excel's description of a failed call of `member`.
std::u16string ExcelMessage(const ClassInfo& type, const MemberInfo& member);

host::HResult RunInvoke(const std::weak_ptr<ExcelState>& state, MemberCaller& caller,
                        host::DispId member, const host::Guid& iid, std::uint32_t locale,
                        host::InvokeFlags flags, const host::DispParams& params,
                        host::Variant* result, host::ExcepInfo* excepInfo, std::uint32_t* argErr);

host::HResult ResolveNames(const ClassInfo& type, const host::Guid& iid,
                           std::span<const std::u16string> names, std::span<host::DispId> ids);

/// GetIDsOfNames of a simulated object: recorded in the call log as "<Class>.GetIDsOfNames"
/// (invoke kind 0, the names as arguments), subject to injected failures, then resolved.
host::HResult LookUpNames(const std::weak_ptr<ExcelState>& state, const ClassInfo& type,
                          const host::Guid& iid, std::uint32_t locale,
                          std::span<const std::u16string> names, std::span<host::DispId> ids);

/// The common part of the simulated objects: IDispatch over a MemberCaller.
template <class... Extra>
class SimObject : public host::RefCounted<host::Dispatch, Extra...>, protected MemberCaller {
public:
    host::HResult GetTypeInfoCount(std::uint32_t& count) override {
        count = 0;
        return host::hr::Ok;
    }
    host::HResult GetTypeInfo(std::uint32_t, std::uint32_t) override {
        return host::hr::DispBadIndex;
    }
    host::HResult GetIDsOfNames(const host::Guid& iid, std::span<const std::u16string> names,
                                std::uint32_t locale, std::span<host::DispId> ids) override {
        return LookUpNames(m_state, Class(), iid, locale, names, ids);
    }
    host::HResult Invoke(host::DispId member, const host::Guid& iid, std::uint32_t locale,
                         host::InvokeFlags flags, const host::DispParams& params,
                         host::Variant* result, host::ExcepInfo* excepInfo,
                         std::uint32_t* argErr) override {
        return RunInvoke(m_state, *this, member, iid, locale, flags, params, result, excepInfo,
                         argErr);
    }

protected:
    explicit SimObject(std::weak_ptr<ExcelState> state)
        : m_state(std::move(state)) {}

    std::weak_ptr<ExcelState> m_state;
};

/// A simulated object of one class that answers QueryInterface for IUnknown, IDispatch and
/// one interface id of its own. `Base` is SimObject<> (Excel's objects) or OfficeObject<>.
template <class Base>
class SingleInterfaceObject : public Base {
public:
    host::HResult QueryInterface(const host::Guid& iid, void** object) override {
        return host::AnswerQuery(
            iid, object,
            {host::InterfaceOffer::Of<host::Unknown>(host::iid::Unknown, this),
             host::InterfaceOffer::Of<host::Dispatch>(host::iid::Dispatch, this),
             host::InterfaceOffer::Of<host::Dispatch>(m_iid, this)});
    }

protected:
    /// `type` has static storage: it is the member table of every object of the class.
    SingleInterfaceObject(std::weak_ptr<ExcelState> state, const ClassInfo& type,
                          const host::Guid& iid)
        : Base(std::move(state))
        , m_type(type)
        , m_iid(iid) {}

private:
    const ClassInfo& Class() const noexcept final { return m_type; }

    const ClassInfo& m_type;
    host::Guid m_iid;
};

/// One of Excel's objects with a single interface of its own.
using PlainExcelObject = SingleInterfaceObject<SimObject<>>;

/// Excel's Application, also the container of the AppEvents connection point.
class ApplicationObject final : public SimObject<host::ConnectionPointContainer> {
public:
    explicit ApplicationObject(std::weak_ptr<ExcelState> state);

    host::HResult QueryInterface(const host::Guid& iid, void** object) override;
    host::HResult FindConnectionPoint(const host::Guid& iid,
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

    host::HResult QueryInterface(const host::Guid& iid, void** object) override;
    host::HResult GetConnectionInterface(host::Guid& iid) override;
    host::HResult Advise(host::Unknown* sink, std::uint32_t& cookie) override;
    host::HResult Unadvise(std::uint32_t cookie) override;

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
