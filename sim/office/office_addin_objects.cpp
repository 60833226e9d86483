// The objects Office hands to an add-in: IRibbonUI, IRibbonControl and COMAddIn.

#include <array>

#include "base/error.h"
#include "host/office/dispids.h"
#include "sim/office/office_objects.h"

namespace tarvex::sim::detail {

namespace {
namespace office = host::office;
namespace ribbon_ui = host::office::ribbon_ui;
namespace ribbon_control = host::office::ribbon_control;
namespace com_addin = host::office::com_addin;
using host::Variant;

constexpr host::InvokeFlags kPut = host::invoke::PropertyPut;
constexpr host::InvokeFlags kPutObject = host::invoke::PropertyPut | host::invoke::PropertyPutRef;

constexpr std::array<std::string_view, 1> kControlIdParams{"ControlID"};
constexpr std::array<MemberInfo, 2> kRibbonUIMembers{{
    {ribbon_ui::Invalidate, "Invalidate", true, {}, 0},
    {ribbon_ui::InvalidateControl, "InvalidateControl", true, kControlIdParams, 1},
}};
constexpr ClassInfo kRibbonUIClass{"IRibbonUI", kRibbonUIMembers};

constexpr std::array<MemberInfo, 3> kRibbonControlMembers{{
    {ribbon_control::Id, "Id", false, {}, 0},
    {ribbon_control::Context, "Context", false, {}, 0},
    {ribbon_control::Tag, "Tag", false, {}, 0},
}};
constexpr ClassInfo kRibbonControlClass{"IRibbonControl", kRibbonControlMembers};

constexpr std::array<MemberInfo, 6> kComAddInMembers{{
    {com_addin::Description, "Description", false, {}, 0, kPut},
    {com_addin::ProgId, "ProgId", false, {}, 0},
    {com_addin::Guid, "Guid", false, {}, 0},
    {com_addin::Connect, "Connect", false, {}, 0, kPut},
    {com_addin::Object, "Object", false, {}, 0, kPutObject},
    {com_addin::Parent, "Parent", false, {}, 0},
}};
constexpr ClassInfo kComAddInClass{"COMAddIn", kComAddInMembers};

[[noreturn]] void Disconnected() {
    throw base::Error(kDisconnected, "Office has restarted");
}
} // namespace

// IRibbonUI

RibbonUIObject::RibbonUIObject(std::weak_ptr<OfficeState> state, std::weak_ptr<OfficeModel> office)
    : PlainOfficeObject(std::move(state), kRibbonUIClass, office::iid::RibbonUI)
    , m_office(std::move(office)) {}

Variant RibbonUIObject::Call(OfficeState&, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<OfficeModel> model = m_office.lock();
    if (!model)
        Disconnected();
    switch (member.id) {
    case ribbon_ui::Invalidate:
        model->invalidations.push_back({true, {}});
        return {};
    case ribbon_ui::InvalidateControl: {
        std::optional<std::u16string> id = OptionalText(args, 0);
        if (!id || id->empty())
            RaiseOffice(base::hr::InvalidArg, "Invalid procedure call or argument");
        model->invalidations.push_back({false, std::move(*id)});
        return {};
    }
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

// IRibbonControl

RibbonControlObject::RibbonControlObject(std::weak_ptr<OfficeState> state, std::u16string id,
                                         std::u16string tag, host::Ref<host::Dispatch> context)
    : PlainOfficeObject(std::move(state), kRibbonControlClass, office::iid::RibbonControl)
    , m_id(std::move(id))
    , m_tag(std::move(tag))
    , m_context(std::move(context)) {}

Variant RibbonControlObject::Call(OfficeState&, const MemberInfo& member, const CallArgs&) {
    switch (member.id) {
    case ribbon_control::Id:
        return Variant(m_id);
    case ribbon_control::Tag:
        return Variant(m_tag);
    case ribbon_control::Context:
        return m_context ? Variant(m_context) : Variant::Nothing();
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

// COMAddIn

ComAddInObject::ComAddInObject(std::weak_ptr<OfficeState> state, std::weak_ptr<AddInModel> addIn)
    : PlainOfficeObject(std::move(state), kComAddInClass, office::iid::ComAddIn)
    , m_addIn(std::move(addIn)) {}

Variant ComAddInObject::Call(OfficeState& state, const MemberInfo& member, const CallArgs& args) {
    const std::shared_ptr<AddInModel> addIn = m_addIn.lock();
    if (!addIn)
        Disconnected();
    if (args.PutValue()) {
        switch (member.id) {
        case com_addin::Description:
            addIn->description = PutText(args);
            return {};
        case com_addin::Connect:
            addIn->connect = PutBool(args);
            return {};
        case com_addin::Object:
            addIn->exposed = PutObjectValue(args);
            return {};
        default:
            throw base::Error(base::hr::DispMemberNotFound, "No such member");
        }
    }
    switch (member.id) {
    case com_addin::Description:
        return Variant(addIn->description);
    case com_addin::ProgId:
        return Variant(addIn->progId);
    case com_addin::Guid:
        return Variant(addIn->guid);
    case com_addin::Connect:
        return Variant(addIn->connect);
    case com_addin::Object:
        return addIn->exposed ? Variant(addIn->exposed) : Variant::Nothing();
    case com_addin::Parent: {
        const host::Ref<host::Dispatch>& application = OfficeOf(state).application;
        return application ? Variant(application) : Variant::Nothing();
    }
    default:
        throw base::Error(base::hr::DispMemberNotFound, "No such member");
    }
}

} // namespace tarvex::sim::detail
