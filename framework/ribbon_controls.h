#pragma once

// The ribbon controls: TadxRibbonCustomControl, the state every control holds for Office's
// callbacks, and the control kinds the add-in's tab is built from (group, button, menu, menu
// separator, dialog box launcher). A change of stored state is pushed to the live ribbon.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/bitmap.h"
#include "framework/ribbon_action.h"
#include "framework/ribbon_component.h"

namespace tarvex::framework {

class TadxRibbonTab;

/// Control sizes (getSize): csRegular = 0, csLarge = 1.
enum class TadxRibbonXControlSize : std::int32_t { csRegular = 0, csLarge = 1 };
/// Menu item sizes: Normal = 0, Large = 1.
enum class TadxRibbonXItemSize : std::int32_t { Normal = 0, Large = 1 };
/// How a button with an IdMso is written: as its own kind, or as a generic "control".
enum class TadxParseMsoXmlTypeAs : std::int32_t { pxtDefault = 0, pxtControl = 1 };

/// The type codes of the control kinds (GetControlType).
namespace ribbon_control_type {
inline constexpr int Group = 4;
inline constexpr int Box = 5;
inline constexpr int ButtonGroup = 6;
inline constexpr int Button = 7;
inline constexpr int SplitButton = 8;
inline constexpr int Label = 9;
inline constexpr int CheckBox = 10;
inline constexpr int EditBox = 11;
inline constexpr int ComboBox = 12;
inline constexpr int DropDown = 13;
inline constexpr int Gallery = 14;
inline constexpr int Menu = 15;
inline constexpr int Separator = 16;
inline constexpr int MenuSeparator = 17;
inline constexpr int DialogBoxLauncher = 18;
inline constexpr int Item = 19;
} // namespace ribbon_control_type

/// The base of every ribbon control: an item of a tab's, group's or menu's Controls.
class TadxRibbonCustomControl : public TadxRibbonComponent {
public:
    /// The type code of the control's kind.
    virtual int GetControlType() const noexcept = 0;

    /// The tab, group or menu whose collection holds the control.
    TadxRibbonComponent& Parent() const noexcept { return *m_parent; }
    /// The parent's type code, or 0 when the parent is the tab.
    int ParentControlType() const noexcept;
    /// The tab at the top of the control's parents.
    TadxRibbonTab& Tab() const noexcept;

    const std::u16string& Description() const noexcept { return m_description; }
    void SetDescription(std::u16string value);
    bool Enabled() const noexcept { return m_enabled; }
    void SetEnabled(bool value);
    /// The control's own picture; empty for none.
    const base::Bitmap& Glyph() const noexcept { return m_glyph; }
    void SetGlyph(base::Bitmap glyph);
    /// Index into the tab's Images, used when Glyph is empty; -1 for none.
    std::int32_t ImageIndex() const noexcept { return m_imageIndex; }
    void SetImageIndex(std::int32_t value);
    const std::u16string& ImageMso() const noexcept { return m_imageMso; }
    void SetImageMso(std::u16string value);
    bool Pressed() const noexcept { return m_pressed; }
    void SetPressed(bool value);
    const std::u16string& ScreenTip() const noexcept { return m_screenTip; }
    void SetScreenTip(std::u16string value);
    const std::u16string& SuperTip() const noexcept { return m_superTip; }
    void SetSuperTip(std::u16string value);
    bool ShowCaption() const noexcept { return m_showCaption; }
    void SetShowCaption(bool value);
    TadxRibbonXControlSize Size() const noexcept { return m_size; }
    void SetSize(TadxRibbonXControlSize value);
    const std::u16string& Text() const noexcept { return m_text; }
    void SetText(std::u16string value);
    const std::u16string& SelectedItemId() const noexcept { return m_selectedItemId; }
    void SetSelectedItemId(std::u16string value);
    std::int32_t SelectedItemIndex() const noexcept { return m_selectedItemIndex; }
    void SetSelectedItemIndex(std::int32_t value);
    const std::u16string& Title() const noexcept { return m_title; }
    void SetTitle(std::u16string value);
    std::int32_t ItemHeight() const noexcept { return m_itemHeight; }
    void SetItemHeight(std::int32_t value);
    std::int32_t ItemWidth() const noexcept { return m_itemWidth; }
    void SetItemWidth(std::int32_t value);
    /// Free for the application.
    std::int32_t Tag() const noexcept { return m_tag; }
    void SetTag(std::int32_t value) noexcept { m_tag = value; }

    /// The bitmap the control's ribbon picture is made from: Glyph, else entry ImageIndex of
    /// the tab's Images; null when there is neither.
    const base::Bitmap* PictureSource() const noexcept;

    /// Runs the control's action for a ribbon callback. Does nothing here.
    virtual void DoAction(const TadxRibbonActionArguments& arguments);
    /// The content document of a dynamic menu; empty here.
    virtual std::u16string GetContent();

protected:
    TadxRibbonCustomControl(TadxRibbonComponent& parent, std::string_view kind);

    void StateChanged(TadxRibbonState state) override;

    /// Calls `handler` unless this control's own click is still running; an exception from
    /// the handler goes to the module's HandleError.
    void RunClick(const TadxRibbonOnClick& handler, const host::office::RibbonControl& control);
    /// Stores Pressed as Office reports it, without asking Office again.
    void StorePressed(bool value) noexcept { m_pressed = value; }

    /// "getImage" when the control has a Glyph or an ImageIndex.
    void AddImageAttribute(TadxXmlAttributes& attributes) const;

private:
    template <class T>
    void Store(T& field, T value);

    TadxRibbonComponent* m_parent;
    std::u16string m_description;
    bool m_enabled = true;
    base::Bitmap m_glyph;
    std::int32_t m_imageIndex = -1;
    std::u16string m_imageMso;
    bool m_pressed = false;
    std::u16string m_screenTip;
    std::u16string m_superTip;
    bool m_showCaption = true;
    TadxRibbonXControlSize m_size = TadxRibbonXControlSize::csRegular;
    std::u16string m_text;
    std::u16string m_selectedItemId;
    std::int32_t m_selectedItemIndex = -1;
    std::u16string m_title;
    std::int32_t m_itemHeight = 0;
    std::int32_t m_itemWidth = 0;
    std::int32_t m_tag = 0;
    bool m_clickRunning = false;
};

/// A group of a tab: up to 1000 controls, at most one dialog box launcher.
class TadxRibbonGroup final : public TadxRibbonCustomControl {
public:
    static constexpr int kControlType = ribbon_control_type::Group;
    static constexpr std::string_view kClassName = "TadxRibbonGroup";

    explicit TadxRibbonGroup(TadxRibbonComponent& parent);
    ~TadxRibbonGroup() override;

    std::string ClassName() const override { return std::string(kClassName); }
    int GetControlType() const noexcept override { return kControlType; }

    /// Written with fixed values under the module's shared namespace.
    bool Shared() const noexcept { return m_shared; }
    void SetShared(bool value) noexcept { m_shared = value; }
    TadxRibbonControls& Controls() noexcept { return m_controls; }

    std::u16string GetXmlTagName() const override;
    TadxXmlAttributes GetXmlAttributes() const override;
    TadxRibbonControls* GetChildControls() noexcept override { return &m_controls; }
    void CheckNewChild(int controlType, std::string_view className) const override;

private:
    bool m_shared = false;
    TadxRibbonControls m_controls;
};

/// A button, or a toggle button.
class TadxRibbonButton final : public TadxRibbonCustomControl {
public:
    static constexpr int kControlType = ribbon_control_type::Button;
    static constexpr std::string_view kClassName = "TadxRibbonButton";

    explicit TadxRibbonButton(TadxRibbonComponent& parent);

    std::string ClassName() const override { return std::string(kClassName); }
    int GetControlType() const noexcept override { return kControlType; }

    bool ToggleButton() const noexcept { return m_toggleButton; }
    void SetToggleButton(bool value) noexcept { m_toggleButton = value; }
    TadxParseMsoXmlTypeAs ParseMsoXmlTypeAs() const noexcept { return m_parseMsoXmlTypeAs; }
    void SetParseMsoXmlTypeAs(TadxParseMsoXmlTypeAs value) noexcept { m_parseMsoXmlTypeAs = value; }
    TadxRibbonOnClick OnClick;

    /// Stores the pressed state Office passed, then runs OnClick unless this button's
    /// previous click is still running; the handler's exception goes to HandleError.
    void DoAction(const TadxRibbonActionArguments& arguments) override;

    std::u16string GetXmlTagName() const override;
    TadxXmlAttributes GetXmlAttributes() const override;

private:
    bool m_toggleButton = false;
    TadxParseMsoXmlTypeAs m_parseMsoXmlTypeAs = TadxParseMsoXmlTypeAs::pxtDefault;
};

/// A menu of up to 1000 controls; a dynamic menu's content is asked for when it drops.
class TadxRibbonMenu final : public TadxRibbonCustomControl {
public:
    static constexpr int kControlType = ribbon_control_type::Menu;
    static constexpr std::string_view kClassName = "TadxRibbonMenu";
    using NotifyEvent = std::function<void(TComponent& sender)>;

    explicit TadxRibbonMenu(TadxRibbonComponent& parent);
    ~TadxRibbonMenu() override;

    std::string ClassName() const override { return std::string(kClassName); }
    int GetControlType() const noexcept override { return kControlType; }

    bool Dynamic() const noexcept { return m_dynamic; }
    /// Refused (the value is not stored) for a menu inside a split button.
    void SetDynamic(bool value) noexcept;
    TadxRibbonXItemSize ItemSize() const noexcept { return m_itemSize; }
    void SetItemSize(TadxRibbonXItemSize value) noexcept { m_itemSize = value; }
    TadxRibbonControls& Controls() noexcept { return m_controls; }
    /// Raised before the menu's items are written or asked for.
    NotifyEvent OnCreate;

    /// Raises OnCreate (an exception goes to HandleError); nothing when none is assigned.
    void FireOnCreate();
    /// For a dynamic menu: OnCreate, then a "menu" document of its children; empty for a
    /// static menu.
    std::u16string GetContent() override;

    std::u16string GetXmlTagName() const override;
    TadxXmlAttributes GetXmlAttributes() const override;
    TadxRibbonControls* GetChildControls() noexcept override { return &m_controls; }
    void CheckNewChild(int controlType, std::string_view className) const override;

private:
    bool m_dynamic = false;
    TadxRibbonXItemSize m_itemSize = TadxRibbonXItemSize::Normal;
    TadxRibbonControls m_controls;
};

/// A separator between menu items; its Caption is the separator's title.
class TadxRibbonMenuSeparator final : public TadxRibbonCustomControl {
public:
    static constexpr int kControlType = ribbon_control_type::MenuSeparator;
    static constexpr std::string_view kClassName = "TadxRibbonMenuSeparator";

    explicit TadxRibbonMenuSeparator(TadxRibbonComponent& parent);

    std::string ClassName() const override { return std::string(kClassName); }
    int GetControlType() const noexcept override { return kControlType; }

    std::u16string GetXmlTagName() const override;
    TadxXmlAttributes GetXmlAttributes() const override;
};

/// The launcher in a group's corner.
class TadxRibbonDialogBoxLauncher final : public TadxRibbonCustomControl {
public:
    static constexpr int kControlType = ribbon_control_type::DialogBoxLauncher;
    static constexpr std::string_view kClassName = "TadxRibbonDialogBoxLauncher";

    explicit TadxRibbonDialogBoxLauncher(TadxRibbonComponent& parent);

    std::string ClassName() const override { return std::string(kClassName); }
    int GetControlType() const noexcept override { return kControlType; }

    TadxRibbonOnClick OnClick;

    /// Runs OnClick unless the launcher's previous click is still running; the handler's
    /// exception goes to HandleError.
    void DoAction(const TadxRibbonActionArguments& arguments) override;

    /// The attributes of the inner "button" element.
    std::u16string GetXmlTagName() const override;
    TadxXmlAttributes GetXmlAttributes() const override;
};

} // namespace tarvex::framework
