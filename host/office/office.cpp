#include "office.h"

#include "base/error.h"
#include "base/text.h"
#include "host/automation.h"
#include "host/office/dispids.h"

namespace tarvex::host::office {

namespace {
constexpr InvokeFlags kGet = invoke::PropertyGet;
constexpr InvokeFlags kMethod = invoke::Method;
constexpr std::uint32_t kLocale = lcid::UserDefault;

template <class T>
Variant OrMissing(const std::optional<T>& value) {
    return value ? Variant(*value) : Variant::Missing();
}

Variant GetProperty(Dispatch& object, DispId member, std::string_view name) {
    return Call(object, member, kGet, kLocale, {}, name);
}

// A put by reference carries the value under the named id PropertyPut, as every put does.
// When the member has no by-reference put, Office's dispatch answers DISP_E_MEMBERNOTFOUND
// without running anything, and the value is put plainly instead.
void PutObject(Dispatch& object, DispId member, const Ref<Dispatch>& value, std::string_view name) {
    Variant arg = value ? Variant(value) : Variant::Nothing();
    const DispId named = dispid::PropertyPut;
    const DispParams params{&arg, &named, 1, 1};
    ExcepInfo excep;
    const base::HResult code = object.Invoke(
        member, host::iid::Null, kLocale, invoke::PropertyPutRef, params, nullptr, &excep, nullptr);
    if (code == base::hr::DispMemberNotFound) {
        Put(object, member, kLocale, arg, name);
        return;
    }
    if (base::Failed(code)) {
        std::string message(name);
        message += " failed (" + base::FormatHResult(code) + ')';
        if (code == base::hr::DispException && !excep.description.empty())
            message += ": " + base::Utf16ToUtf8(excep.description);
        throw base::Error(code == base::hr::DispException && base::Failed(excep.scode) ? excep.scode
                                                                                       : code,
                          std::move(message));
    }
}
} // namespace

Dispatch& ObjectWrapper::Self(std::string_view member) const {
    if (!m_object)
        throw base::Error(base::hr::Pointer, std::string(member) + " called on nothing");
    return *m_object;
}

// CommandBarControl

bool CommandBarControl::BeginGroup() const {
    return GetProperty(Self("CommandBarControl.BeginGroup"), control::BeginGroup,
                       "CommandBarControl.BeginGroup")
        .ToBool();
}

void CommandBarControl::SetBeginGroup(bool value) const {
    Put(Self("CommandBarControl.BeginGroup"), control::BeginGroup, kLocale, Variant(value),
        "CommandBarControl.BeginGroup");
}

bool CommandBarControl::BuiltIn() const {
    return GetProperty(Self("CommandBarControl.BuiltIn"), control::BuiltIn,
                       "CommandBarControl.BuiltIn")
        .ToBool();
}

std::u16string CommandBarControl::Caption() const {
    return GetProperty(Self("CommandBarControl.Caption"), control::Caption,
                       "CommandBarControl.Caption")
        .ToString();
}

void CommandBarControl::SetCaption(std::u16string_view value) const {
    Put(Self("CommandBarControl.Caption"), control::Caption, kLocale, Variant(value),
        "CommandBarControl.Caption");
}

std::u16string CommandBarControl::DescriptionText() const {
    return GetProperty(Self("CommandBarControl.DescriptionText"), control::DescriptionText,
                       "CommandBarControl.DescriptionText")
        .ToString();
}

void CommandBarControl::SetDescriptionText(std::u16string_view value) const {
    Put(Self("CommandBarControl.DescriptionText"), control::DescriptionText, kLocale,
        Variant(value), "CommandBarControl.DescriptionText");
}

bool CommandBarControl::Enabled() const {
    return GetProperty(Self("CommandBarControl.Enabled"), control::Enabled,
                       "CommandBarControl.Enabled")
        .ToBool();
}

void CommandBarControl::SetEnabled(bool value) const {
    Put(Self("CommandBarControl.Enabled"), control::Enabled, kLocale, Variant(value),
        "CommandBarControl.Enabled");
}

std::int32_t CommandBarControl::Height() const {
    return GetProperty(Self("CommandBarControl.Height"), control::Height,
                       "CommandBarControl.Height")
        .ToInt32();
}

void CommandBarControl::SetHeight(std::int32_t value) const {
    Put(Self("CommandBarControl.Height"), control::Height, kLocale, Variant(value),
        "CommandBarControl.Height");
}

std::int32_t CommandBarControl::HelpContextId() const {
    return GetProperty(Self("CommandBarControl.HelpContextId"), control::HelpContextId,
                       "CommandBarControl.HelpContextId")
        .ToInt32();
}

void CommandBarControl::SetHelpContextId(std::int32_t value) const {
    Put(Self("CommandBarControl.HelpContextId"), control::HelpContextId, kLocale, Variant(value),
        "CommandBarControl.HelpContextId");
}

std::u16string CommandBarControl::HelpFile() const {
    return GetProperty(Self("CommandBarControl.HelpFile"), control::HelpFile,
                       "CommandBarControl.HelpFile")
        .ToString();
}

void CommandBarControl::SetHelpFile(std::u16string_view value) const {
    Put(Self("CommandBarControl.HelpFile"), control::HelpFile, kLocale, Variant(value),
        "CommandBarControl.HelpFile");
}

std::int32_t CommandBarControl::Id() const {
    return GetProperty(Self("CommandBarControl.Id"), control::Id, "CommandBarControl.Id").ToInt32();
}

std::int32_t CommandBarControl::Index() const {
    return GetProperty(Self("CommandBarControl.Index"), control::Index, "CommandBarControl.Index")
        .ToInt32();
}

std::u16string CommandBarControl::OnAction() const {
    return GetProperty(Self("CommandBarControl.OnAction"), control::OnAction,
                       "CommandBarControl.OnAction")
        .ToString();
}

void CommandBarControl::SetOnAction(std::u16string_view value) const {
    Put(Self("CommandBarControl.OnAction"), control::OnAction, kLocale, Variant(value),
        "CommandBarControl.OnAction");
}

std::u16string CommandBarControl::Parameter() const {
    return GetProperty(Self("CommandBarControl.Parameter"), control::Parameter,
                       "CommandBarControl.Parameter")
        .ToString();
}

void CommandBarControl::SetParameter(std::u16string_view value) const {
    Put(Self("CommandBarControl.Parameter"), control::Parameter, kLocale, Variant(value),
        "CommandBarControl.Parameter");
}

std::int32_t CommandBarControl::Priority() const {
    return GetProperty(Self("CommandBarControl.Priority"), control::Priority,
                       "CommandBarControl.Priority")
        .ToInt32();
}

void CommandBarControl::SetPriority(std::int32_t value) const {
    Put(Self("CommandBarControl.Priority"), control::Priority, kLocale, Variant(value),
        "CommandBarControl.Priority");
}

std::u16string CommandBarControl::Tag() const {
    return GetProperty(Self("CommandBarControl.Tag"), control::Tag, "CommandBarControl.Tag")
        .ToString();
}

void CommandBarControl::SetTag(std::u16string_view value) const {
    Put(Self("CommandBarControl.Tag"), control::Tag, kLocale, Variant(value),
        "CommandBarControl.Tag");
}

std::u16string CommandBarControl::TooltipText() const {
    return GetProperty(Self("CommandBarControl.TooltipText"), control::TooltipText,
                       "CommandBarControl.TooltipText")
        .ToString();
}

void CommandBarControl::SetTooltipText(std::u16string_view value) const {
    Put(Self("CommandBarControl.TooltipText"), control::TooltipText, kLocale, Variant(value),
        "CommandBarControl.TooltipText");
}

std::int32_t CommandBarControl::Type() const {
    return GetProperty(Self("CommandBarControl.Type"), control::Type, "CommandBarControl.Type")
        .ToInt32();
}

bool CommandBarControl::Visible() const {
    return GetProperty(Self("CommandBarControl.Visible"), control::Visible,
                       "CommandBarControl.Visible")
        .ToBool();
}

void CommandBarControl::SetVisible(bool value) const {
    Put(Self("CommandBarControl.Visible"), control::Visible, kLocale, Variant(value),
        "CommandBarControl.Visible");
}

std::int32_t CommandBarControl::Width() const {
    return GetProperty(Self("CommandBarControl.Width"), control::Width, "CommandBarControl.Width")
        .ToInt32();
}

void CommandBarControl::SetWidth(std::int32_t value) const {
    Put(Self("CommandBarControl.Width"), control::Width, kLocale, Variant(value),
        "CommandBarControl.Width");
}

CommandBarControl CommandBarControl::Move(const office::CommandBar* bar,
                                          std::optional<std::int32_t> before) const {
    const Variant barArg = bar && *bar ? Variant(bar->Object()) : Variant::Missing();
    return CommandBarControl(Call(Self("CommandBarControl.Move"), control::Move, kMethod, kLocale,
                                  {barArg, OrMissing(before)}, "CommandBarControl.Move")
                                 .ToObject());
}

void CommandBarControl::Delete(std::optional<bool> temporary) const {
    Call(Self("CommandBarControl.Delete"), control::Delete, kMethod, kLocale,
         {OrMissing(temporary)}, "CommandBarControl.Delete");
}

std::int32_t CommandBarControl::State() const {
    return GetProperty(Self("CommandBarButton.State"), button::State, "CommandBarButton.State")
        .ToInt32();
}

void CommandBarControl::SetState(std::int32_t value) const {
    Put(Self("CommandBarButton.State"), button::State, kLocale, Variant(value),
        "CommandBarButton.State");
}

std::int32_t CommandBarControl::Style() const {
    return GetProperty(Self("CommandBarButton.Style"), button::Style, "CommandBarButton.Style")
        .ToInt32();
}

void CommandBarControl::SetStyle(std::int32_t value) const {
    Put(Self("CommandBarButton.Style"), button::Style, kLocale, Variant(value),
        "CommandBarButton.Style");
}

std::int32_t CommandBarControl::FaceId() const {
    return GetProperty(Self("CommandBarButton.FaceId"), button::FaceId, "CommandBarButton.FaceId")
        .ToInt32();
}

void CommandBarControl::SetFaceId(std::int32_t value) const {
    Put(Self("CommandBarButton.FaceId"), button::FaceId, kLocale, Variant(value),
        "CommandBarButton.FaceId");
}

std::u16string CommandBarControl::ShortcutText() const {
    return GetProperty(Self("CommandBarButton.ShortcutText"), button::ShortcutText,
                       "CommandBarButton.ShortcutText")
        .ToString();
}

void CommandBarControl::SetShortcutText(std::u16string_view value) const {
    Put(Self("CommandBarButton.ShortcutText"), button::ShortcutText, kLocale, Variant(value),
        "CommandBarButton.ShortcutText");
}

std::int32_t CommandBarControl::HyperlinkType() const {
    return GetProperty(Self("CommandBarButton.HyperlinkType"), button::HyperlinkType,
                       "CommandBarButton.HyperlinkType")
        .ToInt32();
}

void CommandBarControl::SetHyperlinkType(std::int32_t value) const {
    Put(Self("CommandBarButton.HyperlinkType"), button::HyperlinkType, kLocale, Variant(value),
        "CommandBarButton.HyperlinkType");
}

Ref<Dispatch> CommandBarControl::Picture() const {
    return GetProperty(Self("CommandBarButton.Picture"), button::Picture,
                       "CommandBarButton.Picture")
        .ToObject();
}

void CommandBarControl::SetPicture(const Ref<Dispatch>& picture) const {
    PutObject(Self("CommandBarButton.Picture"), button::Picture, picture,
              "CommandBarButton.Picture");
}

Ref<Dispatch> CommandBarControl::Mask() const {
    return GetProperty(Self("CommandBarButton.Mask"), button::Mask, "CommandBarButton.Mask")
        .ToObject();
}

void CommandBarControl::SetMask(const Ref<Dispatch>& mask) const {
    PutObject(Self("CommandBarButton.Mask"), button::Mask, mask, "CommandBarButton.Mask");
}

void CommandBarControl::PasteFace() const {
    Call(Self("CommandBarButton.PasteFace"), button::PasteFace, kMethod, kLocale, {},
         "CommandBarButton.PasteFace");
}

office::CommandBar CommandBarControl::CommandBar() const {
    return office::CommandBar(GetProperty(Self("CommandBarPopup.CommandBar"), popup::CommandBar,
                                          "CommandBarPopup.CommandBar")
                                  .ToObject());
}

CommandBarControls CommandBarControl::Controls() const {
    return CommandBarControls(
        GetProperty(Self("CommandBarPopup.Controls"), popup::Controls, "CommandBarPopup.Controls")
            .ToObject());
}

// CommandBarControls

std::int32_t CommandBarControls::Count() const {
    return GetProperty(Self("CommandBarControls.Count"), command_bar_controls::Count,
                       "CommandBarControls.Count")
        .ToInt32();
}

CommandBarControl CommandBarControls::Item(std::int32_t index) const {
    return CommandBarControl(Call(Self("CommandBarControls.Item"), command_bar_controls::Item, kGet,
                                  kLocale, {Variant(index)}, "CommandBarControls.Item")
                                 .ToObject());
}

CommandBarControl CommandBarControls::Add(std::optional<std::int32_t> type,
                                          std::optional<std::int32_t> id,
                                          std::optional<std::u16string> parameter,
                                          std::optional<std::int32_t> before,
                                          std::optional<bool> temporary) const {
    return CommandBarControl(Call(Self("CommandBarControls.Add"), command_bar_controls::Add,
                                  kMethod, kLocale,
                                  {OrMissing(type), OrMissing(id), OrMissing(parameter),
                                   OrMissing(before), OrMissing(temporary)},
                                  "CommandBarControls.Add")
                                 .ToObject());
}

// CommandBar

std::u16string CommandBar::Name() const {
    return GetProperty(Self("CommandBar.Name"), command_bar::Name, "CommandBar.Name").ToString();
}

void CommandBar::SetName(std::u16string_view value) const {
    Put(Self("CommandBar.Name"), command_bar::Name, kLocale, Variant(value), "CommandBar.Name");
}

std::u16string CommandBar::NameLocal() const {
    return GetProperty(Self("CommandBar.NameLocal"), command_bar::NameLocal, "CommandBar.NameLocal")
        .ToString();
}

void CommandBar::SetNameLocal(std::u16string_view value) const {
    Put(Self("CommandBar.NameLocal"), command_bar::NameLocal, kLocale, Variant(value),
        "CommandBar.NameLocal");
}

bool CommandBar::BuiltIn() const {
    return GetProperty(Self("CommandBar.BuiltIn"), command_bar::BuiltIn, "CommandBar.BuiltIn")
        .ToBool();
}

bool CommandBar::Enabled() const {
    return GetProperty(Self("CommandBar.Enabled"), command_bar::Enabled, "CommandBar.Enabled")
        .ToBool();
}

void CommandBar::SetEnabled(bool value) const {
    Put(Self("CommandBar.Enabled"), command_bar::Enabled, kLocale, Variant(value),
        "CommandBar.Enabled");
}

bool CommandBar::Visible() const {
    return GetProperty(Self("CommandBar.Visible"), command_bar::Visible, "CommandBar.Visible")
        .ToBool();
}

void CommandBar::SetVisible(bool value) const {
    Put(Self("CommandBar.Visible"), command_bar::Visible, kLocale, Variant(value),
        "CommandBar.Visible");
}

std::int32_t CommandBar::Position() const {
    return GetProperty(Self("CommandBar.Position"), command_bar::Position, "CommandBar.Position")
        .ToInt32();
}

void CommandBar::SetPosition(std::int32_t value) const {
    Put(Self("CommandBar.Position"), command_bar::Position, kLocale, Variant(value),
        "CommandBar.Position");
}

std::int32_t CommandBar::Protection() const {
    return GetProperty(Self("CommandBar.Protection"), command_bar::Protection,
                       "CommandBar.Protection")
        .ToInt32();
}

void CommandBar::SetProtection(std::int32_t value) const {
    Put(Self("CommandBar.Protection"), command_bar::Protection, kLocale, Variant(value),
        "CommandBar.Protection");
}

std::int32_t CommandBar::Left() const {
    return GetProperty(Self("CommandBar.Left"), command_bar::Left, "CommandBar.Left").ToInt32();
}

void CommandBar::SetLeft(std::int32_t value) const {
    Put(Self("CommandBar.Left"), command_bar::Left, kLocale, Variant(value), "CommandBar.Left");
}

std::int32_t CommandBar::Top() const {
    return GetProperty(Self("CommandBar.Top"), command_bar::Top, "CommandBar.Top").ToInt32();
}

void CommandBar::SetTop(std::int32_t value) const {
    Put(Self("CommandBar.Top"), command_bar::Top, kLocale, Variant(value), "CommandBar.Top");
}

std::int32_t CommandBar::RowIndex() const {
    return GetProperty(Self("CommandBar.RowIndex"), command_bar::RowIndex, "CommandBar.RowIndex")
        .ToInt32();
}

void CommandBar::SetRowIndex(std::int32_t value) const {
    Put(Self("CommandBar.RowIndex"), command_bar::RowIndex, kLocale, Variant(value),
        "CommandBar.RowIndex");
}

std::int32_t CommandBar::Index() const {
    return GetProperty(Self("CommandBar.Index"), command_bar::Index, "CommandBar.Index").ToInt32();
}

std::int32_t CommandBar::Type() const {
    return GetProperty(Self("CommandBar.Type"), command_bar::Type, "CommandBar.Type").ToInt32();
}

CommandBarControls CommandBar::Controls() const {
    return CommandBarControls(
        GetProperty(Self("CommandBar.Controls"), command_bar::Controls, "CommandBar.Controls")
            .ToObject());
}

CommandBarControl CommandBar::FindControl(std::optional<std::int32_t> type,
                                          std::optional<std::int32_t> id,
                                          std::optional<std::u16string> tag,
                                          std::optional<bool> visible,
                                          std::optional<bool> recursive) const {
    return CommandBarControl(Call(Self("CommandBar.FindControl"), command_bar::FindControl, kMethod,
                                  kLocale,
                                  {OrMissing(type), OrMissing(id), OrMissing(tag),
                                   OrMissing(visible), OrMissing(recursive)},
                                  "CommandBar.FindControl")
                                 .ToObject());
}

void CommandBar::Delete() const {
    Call(Self("CommandBar.Delete"), command_bar::Delete, kMethod, kLocale, {}, "CommandBar.Delete");
}

// CommandBars

std::int32_t CommandBars::Count() const {
    return GetProperty(Self("CommandBars.Count"), command_bars::Count, "CommandBars.Count")
        .ToInt32();
}

CommandBar CommandBars::Item(std::int32_t index) const {
    return CommandBar(Call(Self("CommandBars.Item"), command_bars::Item, kGet, kLocale,
                           {Variant(index)}, "CommandBars.Item")
                          .ToObject());
}

CommandBar CommandBars::Item(std::u16string_view name) const {
    return CommandBar(Call(Self("CommandBars.Item"), command_bars::Item, kGet, kLocale,
                           {Variant(name)}, "CommandBars.Item")
                          .ToObject());
}

CommandBar CommandBars::Add(std::optional<std::u16string> name,
                            std::optional<std::int32_t> position, std::optional<bool> menuBar,
                            std::optional<bool> temporary) const {
    return CommandBar(
        Call(Self("CommandBars.Add"), command_bars::Add, kMethod, kLocale,
             {OrMissing(name), OrMissing(position), OrMissing(menuBar), OrMissing(temporary)},
             "CommandBars.Add")
            .ToObject());
}

CommandBarControl CommandBars::FindControl(std::optional<std::int32_t> type,
                                           std::optional<std::int32_t> id,
                                           std::optional<std::u16string> tag,
                                           std::optional<bool> visible) const {
    return CommandBarControl(
        Call(Self("CommandBars.FindControl"), command_bars::FindControl, kMethod, kLocale,
             {OrMissing(type), OrMissing(id), OrMissing(tag), OrMissing(visible)},
             "CommandBars.FindControl")
            .ToObject());
}

CommandBars CommandBarsOf(Dispatch& application) {
    // Reached by name: the member is not part of every host's published interface.
    const std::u16string name = u"CommandBars";
    DispId id = dispid::Unknown;
    const base::HResult resolved =
        application.GetIDsOfNames(host::iid::Null, {&name, 1}, kLocale, {&id, 1});
    if (base::Failed(resolved))
        throw base::Error(resolved, "Application.CommandBars: the name is unknown (" +
                                        base::FormatHResult(resolved) + ')');
    const Ref<Dispatch> bars =
        Call(application, id, kMethod, kLocale, {}, "Application.CommandBars").ToObject();
    if (!bars)
        throw base::Error(base::hr::Pointer, "Application.CommandBars answered nothing");
    Ref<Dispatch> collection = QueryAs<Dispatch>(bars.Get(), iid::CommandBars);
    if (!collection)
        throw base::Error(base::hr::NoInterface,
                          "Application.CommandBars is not a CommandBars collection");
    return CommandBars(std::move(collection));
}

// RibbonUI

void RibbonUI::Invalidate() const {
    Call(Self("IRibbonUI.Invalidate"), ribbon_ui::Invalidate, kMethod, kLocale, {},
         "IRibbonUI.Invalidate");
}

void RibbonUI::InvalidateControl(std::u16string_view controlId) const {
    Call(Self("IRibbonUI.InvalidateControl"), ribbon_ui::InvalidateControl, kMethod, kLocale,
         {Variant(controlId)}, "IRibbonUI.InvalidateControl");
}

// RibbonControl

std::u16string RibbonControl::Id() const {
    return GetProperty(Self("IRibbonControl.Id"), ribbon_control::Id, "IRibbonControl.Id")
        .ToString();
}

std::u16string RibbonControl::Tag() const {
    return GetProperty(Self("IRibbonControl.Tag"), ribbon_control::Tag, "IRibbonControl.Tag")
        .ToString();
}

Ref<Dispatch> RibbonControl::Context() const {
    return GetProperty(Self("IRibbonControl.Context"), ribbon_control::Context,
                       "IRibbonControl.Context")
        .ToObject();
}

// ComAddIn

std::u16string ComAddIn::Description() const {
    return GetProperty(Self("COMAddIn.Description"), com_addin::Description, "COMAddIn.Description")
        .ToString();
}

void ComAddIn::SetDescription(std::u16string_view value) const {
    Put(Self("COMAddIn.Description"), com_addin::Description, kLocale, Variant(value),
        "COMAddIn.Description");
}

std::u16string ComAddIn::ProgId() const {
    return GetProperty(Self("COMAddIn.ProgId"), com_addin::ProgId, "COMAddIn.ProgId").ToString();
}

std::u16string ComAddIn::Guid() const {
    return GetProperty(Self("COMAddIn.Guid"), com_addin::Guid, "COMAddIn.Guid").ToString();
}

bool ComAddIn::Connect() const {
    return GetProperty(Self("COMAddIn.Connect"), com_addin::Connect, "COMAddIn.Connect").ToBool();
}

void ComAddIn::SetConnect(bool value) const {
    Put(Self("COMAddIn.Connect"), com_addin::Connect, kLocale, Variant(value), "COMAddIn.Connect");
}

Ref<Dispatch> ComAddIn::AddInObject() const {
    return GetProperty(Self("COMAddIn.Object"), com_addin::Object, "COMAddIn.Object").ToObject();
}

void ComAddIn::SetAddInObject(const Ref<Dispatch>& object) const {
    PutObject(Self("COMAddIn.Object"), com_addin::Object, object, "COMAddIn.Object");
}

Ref<Dispatch> ComAddIn::Parent() const {
    return GetProperty(Self("COMAddIn.Parent"), com_addin::Parent, "COMAddIn.Parent").ToObject();
}

} // namespace tarvex::host::office
