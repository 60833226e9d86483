#pragma once

// The ribbon as Office shows it: read from the add-in's customUI document, every dynamic
// state asked of the add-in through its callbacks by name (GetIDsOfNames, then Invoke with
// an IRibbonControl), exactly as Office reaches the add-in object.

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/object.h"
#include "host/variant.h"

namespace tarvex::sim {

class SimOffice;

/// What the ribbon cannot do with the add-in: its document is broken, or a callback is
/// unknown or failed. The message says which.
class RibbonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One element of a customUI document with its attributes (entities decoded).
struct RibbonElement {
    std::u16string tag;
    std::map<std::u16string, std::u16string> attributes;
    std::vector<RibbonElement> children;

    /// The control id Office hands to callbacks: `id`, or the local part of `idQ`.
    std::u16string ControlId() const;
    /// The attribute's value, or empty.
    std::u16string Attribute(std::u16string_view name) const;
};

/// Reads a customUI document into its element tree (the root element). Throws RibbonError
/// for text that is not a well-formed document of elements.
RibbonElement ParseCustomUI(std::u16string_view xml);

/// Calls the add-in's callback named `callback` with `arguments` (in declaration order) as
/// Office does: GetIDsOfNames, then Invoke with the arguments last-first. Answers Invoke's
/// code, or GetIDsOfNames' when the add-in does not know the name (`known` false). Never
/// throws for the add-in's answer.
base::HResult CallByName(host::Dispatch& addin, std::u16string_view callback,
                         std::vector<host::Variant> arguments, host::Variant& result, bool& known);

class RibbonView {
public:
    /// `addin` is the add-in object's IDispatch; `office` makes the IRibbonControl objects.
    RibbonView(RibbonElement document, host::Ref<host::Dispatch> addin, SimOffice& office);

    /// Calls the callback that `attribute` of `control` names, with the control first and
    /// then `more`, as Office does; answers its result. Throws RibbonError when the add-in
    /// refuses the call.
    host::Variant Call(const RibbonElement& control, std::u16string_view attribute,
                       std::vector<host::Variant> more = {});

    /// The document's root element (customUI, whose onLoad names the load callback).
    const RibbonElement& Document() const noexcept { return m_document; }

    /// The control's label as the ribbon shows it (getLabel, else label).
    std::u16string Label(const RibbonElement& control);
    /// Whether the control accepts a click (getEnabled, else enabled, else true).
    bool Enabled(const RibbonElement& control);
    /// A toggle button's state (getPressed, else false).
    bool Pressed(const RibbonElement& control);

    /// The first control inside any group whose label is `path` ("Track", "Options...");
    /// "launcher" names the group's dialog box launcher button and "MENU > ITEM" a button of
    /// a menu. Null when there is none.
    const RibbonElement* Find(std::u16string_view path);

    /// Presses `control` as a user does: onAction with the control (and the new pressed
    /// state for a toggle button).
    void Press(const RibbonElement& control);

private:
    host::Variant Invoke(std::u16string_view callback, std::vector<host::Variant> arguments);
    const RibbonElement* FindIn(const RibbonElement& parent, std::u16string_view path);

    RibbonElement m_document;
    host::Ref<host::Dispatch> m_addin;
    SimOffice& m_office;
};

} // namespace tarvex::sim
