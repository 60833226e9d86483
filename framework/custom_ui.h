#pragma once

// The customUI document Office asks the add-in for, once per ribbon kind, generated from
// the module's ribbon tabs; and the content document of a dynamic menu.

#include <string>
#include <string_view>

namespace tarvex::framework {

class TadxCOMAddInModule;
class TadxRibbonMenu;

/// The customUI namespace of Office 2007.
inline constexpr std::u16string_view kCustomUINamespace =
    u"http://schemas.microsoft.com/office/2006/01/customui";

/// Builds the customUI document for `ribbonId`. Notes the host the id names and that the
/// host shows the ribbon, raises OnRibbonBeforeCreate, drops from ControlIdMap every
/// component outside this ribbon, writes the tabs that belong to it, and lets
/// OnRibbonBeforeLoad replace the text. The handlers' exceptions go to HandleError.
std::u16string BuildCustomUIXml(TadxCOMAddInModule& module, std::u16string_view ribbonId);

/// The document of a dynamic menu's items: a "menu" root with the customUI namespaces.
std::u16string BuildDynamicMenuXml(TadxRibbonMenu& menu);

} // namespace tarvex::framework
