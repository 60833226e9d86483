#pragma once

// Typed wrappers over Office's command bars, ribbon objects and COM add-in object, called
// late-bound by Office's published dispatch ids. They run unchanged over real Office (through
// the COM adapters) and over the simulated Office. Every member throws base::Error when
// Office reports a failure; a result of "nothing" is an empty wrapper, not a failure.
//
// Optional arguments are std::optional: an empty one is passed as omitted (the Missing
// marker), so every call has the full argument list of Office's declaration.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/object.h"
#include "host/variant.h"

namespace tarvex::host::office {

class CommandBar;
class CommandBarControls;

/// The common part of the wrappers: one reference to the object, or nothing.
class ObjectWrapper {
public:
    ObjectWrapper() = default;
    explicit ObjectWrapper(Ref<Dispatch> object) noexcept
        : m_object(std::move(object)) {}

    explicit operator bool() const noexcept { return static_cast<bool>(m_object); }
    Dispatch* Get() const noexcept { return m_object.Get(); }
    const Ref<Dispatch>& Object() const noexcept { return m_object; }

protected:
    /// The object; throws Error(E_POINTER) naming `member` when this is nothing.
    Dispatch& Self(std::string_view member) const;

private:
    Ref<Dispatch> m_object;
};

/// A CommandBarControl, or one of its kinds (CommandBarButton, CommandBarPopup,
/// CommandBarComboBox): the button and pop-up members fail on other kinds as Office fails
/// them.
class CommandBarControl : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    bool BeginGroup() const;
    void SetBeginGroup(bool value) const;
    bool BuiltIn() const;
    std::u16string Caption() const;
    void SetCaption(std::u16string_view value) const;
    std::u16string DescriptionText() const;
    void SetDescriptionText(std::u16string_view value) const;
    bool Enabled() const;
    void SetEnabled(bool value) const;
    std::int32_t Height() const;
    void SetHeight(std::int32_t value) const;
    std::int32_t HelpContextId() const;
    void SetHelpContextId(std::int32_t value) const;
    std::u16string HelpFile() const;
    void SetHelpFile(std::u16string_view value) const;
    /// 1 for a custom control; otherwise the id of the built-in control.
    std::int32_t Id() const;
    /// The 1-based position on its bar.
    std::int32_t Index() const;
    std::u16string OnAction() const;
    void SetOnAction(std::u16string_view value) const;
    std::u16string Parameter() const;
    void SetParameter(std::u16string_view value) const;
    std::int32_t Priority() const;
    void SetPriority(std::int32_t value) const;
    std::u16string Tag() const;
    void SetTag(std::u16string_view value) const;
    std::u16string TooltipText() const;
    void SetTooltipText(std::u16string_view value) const;
    /// An MsoControlType.
    std::int32_t Type() const;
    bool Visible() const;
    void SetVisible(bool value) const;
    std::int32_t Width() const;
    void SetWidth(std::int32_t value) const;

    /// Move(Bar, Before): to `bar` (this control's bar when omitted), before the control at
    /// 1-based `before` as it stands before the move (at the end when omitted). Answers the
    /// moved control.
    CommandBarControl Move(const office::CommandBar* bar, std::optional<std::int32_t> before) const;
    /// Delete(Temporary): `true` deletes for this session only.
    void Delete(std::optional<bool> temporary) const;

    // CommandBarButton.

    /// An MsoButtonState.
    std::int32_t State() const;
    void SetState(std::int32_t value) const;
    /// An MsoButtonStyle.
    std::int32_t Style() const;
    void SetStyle(std::int32_t value) const;
    std::int32_t FaceId() const;
    void SetFaceId(std::int32_t value) const;
    std::u16string ShortcutText() const;
    void SetShortcutText(std::u16string_view value) const;
    /// An MsoCommandBarButtonHyperlinkType.
    std::int32_t HyperlinkType() const;
    void SetHyperlinkType(std::int32_t value) const;
    /// The face picture (IPictureDisp), or null.
    Ref<Dispatch> Picture() const;
    /// Sets the face picture by reference. Office versions that declare it as a plain put
    /// answer DISP_E_MEMBERNOTFOUND to the by-reference put; it is then put plainly.
    void SetPicture(const Ref<Dispatch>& picture) const;
    /// The face mask picture, or null.
    Ref<Dispatch> Mask() const;
    /// Sets the mask picture, as SetPicture does.
    void SetMask(const Ref<Dispatch>& mask) const;
    /// Takes the face from the picture on the clipboard.
    void PasteFace() const;

    // CommandBarPopup.

    /// The pop-up's own bar.
    office::CommandBar CommandBar() const;
    /// The pop-up's controls.
    CommandBarControls Controls() const;
};

/// A CommandBarControls collection.
class CommandBarControls : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    std::int32_t Count() const;
    /// The control at 1-based `index`.
    CommandBarControl Item(std::int32_t index) const;
    /// Add(Type, Id, Parameter, Before, Temporary): a new custom control of `type`, or a copy
    /// of the built-in control `id`; inserted before 1-based `before`, or at the end.
    CommandBarControl Add(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                          std::optional<std::u16string> parameter,
                          std::optional<std::int32_t> before, std::optional<bool> temporary) const;
};

/// A CommandBar.
class CommandBar : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    std::u16string Name() const;
    void SetName(std::u16string_view value) const;
    std::u16string NameLocal() const;
    void SetNameLocal(std::u16string_view value) const;
    bool BuiltIn() const;
    bool Enabled() const;
    void SetEnabled(bool value) const;
    bool Visible() const;
    void SetVisible(bool value) const;
    /// An MsoBarPosition.
    std::int32_t Position() const;
    void SetPosition(std::int32_t value) const;
    /// A combination of MsoBarProtection flags.
    std::int32_t Protection() const;
    void SetProtection(std::int32_t value) const;
    std::int32_t Left() const;
    void SetLeft(std::int32_t value) const;
    std::int32_t Top() const;
    void SetTop(std::int32_t value) const;
    std::int32_t RowIndex() const;
    void SetRowIndex(std::int32_t value) const;
    /// The 1-based position in the CommandBars collection.
    std::int32_t Index() const;
    /// An MsoBarType.
    std::int32_t Type() const;
    CommandBarControls Controls() const;
    /// FindControl(Type, Id, Tag, Visible, Recursive): the first matching control on this
    /// bar (and, when `recursive`, in its pop-ups), or nothing.
    CommandBarControl FindControl(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                  std::optional<std::u16string> tag, std::optional<bool> visible,
                                  std::optional<bool> recursive) const;
    void Delete() const;
};

/// The CommandBars collection of a host application.
class CommandBars : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    std::int32_t Count() const;
    /// The bar at 1-based `index`.
    CommandBar Item(std::int32_t index) const;
    /// The bar called `name`.
    CommandBar Item(std::u16string_view name) const;
    /// Add(Name, Position, MenuBar, Temporary).
    CommandBar Add(std::optional<std::u16string> name, std::optional<std::int32_t> position,
                   std::optional<bool> menuBar, std::optional<bool> temporary) const;
    /// FindControl(Type, Id, Tag, Visible): the first matching control on any bar, or nothing.
    CommandBarControl FindControl(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                  std::optional<std::u16string> tag,
                                  std::optional<bool> visible) const;
};

/// The host application's CommandBars, reached by name as Office's late binding reaches it:
/// GetIDsOfNames("CommandBars"), then a method call without arguments; the result asked for
/// the CommandBars interface. Throws Error when the application has no such member, the call
/// fails, or the result is nothing or not a CommandBars collection.
CommandBars CommandBarsOf(Dispatch& application);

/// Office's IRibbonUI.
class RibbonUI : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    /// Makes Office ask every callback of the add-in's ribbon again.
    void Invalidate() const;
    /// Makes Office ask the callbacks of control `controlId` again.
    void InvalidateControl(std::u16string_view controlId) const;
};

/// Office's IRibbonControl, passed to ribbon callbacks.
class RibbonControl : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    /// The id written in the customUI document.
    std::u16string Id() const;
    std::u16string Tag() const;
    /// The window the control belongs to, or null.
    Ref<Dispatch> Context() const;
};

/// Office's COMAddIn: the add-in's entry in the host's COM add-ins.
class ComAddIn : public ObjectWrapper {
public:
    using ObjectWrapper::ObjectWrapper;

    std::u16string Description() const;
    void SetDescription(std::u16string_view value) const;
    std::u16string ProgId() const;
    std::u16string Guid() const;
    bool Connect() const;
    void SetConnect(bool value) const;
    /// COMAddIn.Object: the object the add-in exposes to other programs, or null.
    Ref<Dispatch> AddInObject() const;
    /// Sets COMAddIn.Object by reference (plainly where Office declares a plain put).
    void SetAddInObject(const Ref<Dispatch>& object) const;
    Ref<Dispatch> Parent() const;
};

} // namespace tarvex::host::office
