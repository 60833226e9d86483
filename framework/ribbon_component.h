#pragma once

// TadxRibbonComponent: what a ribbon tab and every ribbon control share. Each one registers
// itself in its module's ControlIdMap (under IdMso when set, otherwise under Id), keeps that
// entry in step with its ids and removes it when it goes; it belongs to a set of ribbon kinds
// that its children follow; and it describes itself for the customUI document.
//
// TadxRibbonControls: the child collection of a tab, group or menu, which owns its controls.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/component.h"
#include "framework/ribbon_kinds.h"

namespace tarvex::framework {

class TadxCOMAddInModule;
class TadxRibbonControls;
class TadxRibbonCustomControl;

/// Attribute name and value pairs of one element, in writing order.
using TadxXmlAttributes = std::vector<std::pair<std::u16string, std::u16string>>;

/// The state a property change touches; decides whether the live ribbon is asked again.
enum class TadxRibbonState {
    Caption,
    Visible,
    KeyTip,
    Insert,
    /// Every other state Office reads through a callback (enabled, pressed, tips...).
    Other,
};

class TadxRibbonComponent : public TComponent {
public:
    ~TadxRibbonComponent() override;

    /// The module whose ControlIdMap holds the component.
    TadxCOMAddInModule& Module() const noexcept { return *m_module; }

    const std::u16string& Id() const noexcept { return m_id; }
    /// Setting an empty id is ignored.
    void SetId(std::u16string id);
    const std::u16string& IdMso() const noexcept { return m_idMso; }
    void SetIdMso(std::u16string idMso);

    const std::u16string& InsertAfterIdMso() const noexcept { return m_insertAfterIdMso; }
    void SetInsertAfterIdMso(std::u16string value);
    const std::u16string& InsertAfterId() const noexcept { return m_insertAfterId; }
    void SetInsertAfterId(std::u16string value);
    const std::u16string& InsertBeforeIdMso() const noexcept { return m_insertBeforeIdMso; }
    void SetInsertBeforeIdMso(std::u16string value);
    const std::u16string& InsertBeforeId() const noexcept { return m_insertBeforeId; }
    void SetInsertBeforeId(std::u16string value);

    const std::u16string& Caption() const noexcept { return m_caption; }
    void SetCaption(std::u16string caption);
    bool Visible() const noexcept { return m_visible; }
    void SetVisible(bool value);
    /// At most three characters.
    const std::u16string& KeyTip() const noexcept { return m_keyTip; }
    /// Keeps the first three characters of `keyTip`.
    void SetKeyTip(std::u16string keyTip);

    TadxRibbons Ribbons() const noexcept { return m_ribbons; }
    /// Ignores the empty set; a new set is given to every child control, at any depth.
    void SetRibbons(TadxRibbons ribbons);

    /// The element name in the customUI document.
    virtual std::u16string GetXmlTagName() const = 0;
    /// The element's attributes in writing order; pairs with an empty value are left out.
    virtual TadxXmlAttributes GetXmlAttributes() const = 0;
    /// The child collection, or null for a component without children.
    virtual TadxRibbonControls* GetChildControls() noexcept { return nullptr; }
    const TadxRibbonControls* GetChildControls() const noexcept {
        return const_cast<TadxRibbonComponent*>(this)->GetChildControls();
    }

    /// Asks the live ribbon to query this component again: nothing before Office has loaded
    /// the ribbon; the whole ribbon for a component standing for a built-in control (IdMso),
    /// else this control by its plain Id. Office's failure passes on.
    void RefreshInRibbon() const;

    /// Refuses a child of class `className` (type code `controlType`) that this component
    /// cannot hold; called before a child is created.
    virtual void CheckNewChild(int controlType, std::string_view className) const;

protected:
    /// Registers the component under a new designer id "adxRibbon<kind><32 hex digits>".
    TadxRibbonComponent(TComponent* owner, TadxCOMAddInModule& module, std::string_view kind);

    /// Called after a setter changed stored state; refreshes the live ribbon when the kind
    /// of component shows that state through a callback.
    virtual void StateChanged(TadxRibbonState state) = 0;

    /// The id the customUI document gives the component: "default:" + Id when the module
    /// has a namespace, else Id; added as "idQ" or "id".
    void AddIdAttribute(TadxXmlAttributes& attributes) const;
    /// The first placement that is set, as its attribute.
    void AddInsertAttribute(TadxXmlAttributes& attributes) const;

private:
    std::string MapKey() const;
    void Rekey();
    bool SetText(std::u16string& field, std::u16string value, TadxRibbonState state);

    TadxCOMAddInModule* m_module;
    std::u16string m_id;
    std::u16string m_idMso;
    std::u16string m_insertAfterIdMso;
    std::u16string m_insertAfterId;
    std::u16string m_insertBeforeIdMso;
    std::u16string m_insertBeforeId;
    std::u16string m_caption;
    std::u16string m_keyTip;
    bool m_visible = true;
    TadxRibbons m_ribbons;
};

/// Appends `name`="`value`" unless the value is empty.
void AddXmlAttribute(TadxXmlAttributes& attributes, std::u16string_view name,
                     std::u16string_view value);
/// "true" or "false".
std::u16string_view XmlBoolean(bool value) noexcept;

/// The controls of a tab, group or menu, in order; owns them.
class TadxRibbonControls {
public:
    /// The collection of `owner`, holding at most `limit` controls.
    TadxRibbonControls(TadxRibbonComponent& owner, int limit) noexcept;
    ~TadxRibbonControls();

    TadxRibbonControls(const TadxRibbonControls&) = delete;
    TadxRibbonControls& operator=(const TadxRibbonControls&) = delete;

    TadxRibbonComponent& Owner() const noexcept { return m_owner; }
    int Limit() const noexcept { return m_limit; }
    std::size_t Count() const noexcept { return m_items.size(); }
    bool Empty() const noexcept { return m_items.empty(); }
    TadxRibbonCustomControl& operator[](std::size_t index) const { return *m_items.at(index); }

    /// Adds a new control of class T at the end. Throws Error 31120 when the collection is
    /// full, and the owner's refusal when it cannot hold a T.
    template <class T>
    T& Add() {
        if (m_items.size() >= static_cast<std::size_t>(m_limit))
            ThrowFull();
        m_owner.CheckNewChild(T::kControlType, T::kClassName);
        auto control = std::make_unique<T>(m_owner);
        T& result = *control;
        m_items.push_back(std::move(control));
        return result;
    }

    /// Removes and frees control `index` (and its children).
    void Delete(std::size_t index);
    /// Removes and frees every control, last first.
    void Clear() noexcept;

private:
    [[noreturn]] void ThrowFull() const;

    TadxRibbonComponent& m_owner;
    int m_limit;
    std::vector<std::unique_ptr<TadxRibbonCustomControl>> m_items;
};

} // namespace tarvex::framework
