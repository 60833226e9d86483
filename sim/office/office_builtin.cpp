// The built-in bars a new simulated Office starts with: a subset of Excel's menu bar,
// toolbars and cell shortcut menu, with built-in controls of several types (buttons, menus,
// nested menus, combo boxes, split controls). The control ids are the simulation's own
// numbering of these commands.

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "host/office/dispids.h"
#include "sim/office/office_model.h"

namespace tarvex::sim::detail {

namespace {
namespace office = host::office;

struct BuiltInControl {
    std::int32_t type;
    std::int32_t id;
    std::u16string_view caption;
    bool beginGroup;
    std::span<const BuiltInControl> children;
};

struct BuiltInBar {
    std::u16string_view name;
    std::int32_t type;
    std::int32_t position;
    bool visible;
    std::int32_t rowIndex;
    std::span<const BuiltInControl> controls;
};

constexpr std::int32_t kButton = office::msoControlButton;
constexpr std::int32_t kPopup = office::msoControlPopup;

constexpr std::array<BuiltInControl, 7> kFileMenu{{
    {kButton, 18, u"&New...", false, {}},
    {kButton, 23, u"&Open...", false, {}},
    {kButton, 106, u"&Close", false, {}},
    {kButton, 3, u"&Save", true, {}},
    {kButton, 748, u"Save &As...", false, {}},
    {kButton, 4, u"&Print...", true, {}},
    {kButton, 752, u"E&xit", true, {}},
}};

constexpr std::array<BuiltInControl, 3> kClearMenu{{
    {kButton, 1964, u"&All", false, {}},
    {kButton, 368, u"&Formats", false, {}},
    {kButton, 3125, u"&Contents", false, {}},
}};

constexpr std::array<BuiltInControl, 8> kEditMenu{{
    {kButton, 128, u"&Undo", false, {}},
    {kButton, 21, u"Cu&t", true, {}},
    {kButton, 19, u"&Copy", false, {}},
    {kButton, 22, u"&Paste", false, {}},
    {kButton, 755, u"Paste &Special...", false, {}},
    {kPopup, 30021, u"Cle&ar", true, kClearMenu},
    {kButton, 478, u"&Delete...", false, {}},
    {kButton, 1849, u"&Find...", true, {}},
}};

constexpr std::array<BuiltInControl, 2> kViewMenu{{
    {kButton, 178, u"F&ull Screen", false, {}},
    {kButton, 925, u"&Zoom...", false, {}},
}};

constexpr std::array<BuiltInControl, 3> kInsertMenu{{
    {kButton, 295, u"C&ells...", false, {}},
    {kButton, 296, u"&Rows", false, {}},
    {kButton, 297, u"&Columns", false, {}},
}};

constexpr std::array<BuiltInControl, 2> kFormatMenu{{
    {kButton, 855, u"C&ells...", false, {}},
    {kButton, 254, u"&Style...", false, {}},
}};

constexpr std::array<BuiltInControl, 2> kMacroMenu{{
    {kButton, 186, u"&Macros...", false, {}},
    {kButton, 184, u"&Record New Macro...", false, {}},
}};

constexpr std::array<BuiltInControl, 4> kToolsMenu{{
    {kButton, 2, u"&Spelling...", false, {}},
    {kPopup, 30017, u"&Macro", true, kMacroMenu},
    {kButton, 943, u"Add-&Ins...", false, {}},
    {kButton, 522, u"&Options...", true, {}},
}};

constexpr std::array<BuiltInControl, 1> kFilterMenu{{
    {kButton, 899, u"Auto&Filter", false, {}},
}};

constexpr std::array<BuiltInControl, 2> kDataMenu{{
    {kButton, 928, u"&Sort...", false, {}},
    {kPopup, 30031, u"&Filter", false, kFilterMenu},
}};

constexpr std::array<BuiltInControl, 2> kWindowMenu{{
    {kButton, 303, u"&New Window", false, {}},
    {kButton, 298, u"&Arrange...", false, {}},
}};

constexpr std::array<BuiltInControl, 2> kHelpMenu{{
    {kButton, 984, u"Microsoft Excel &Help", false, {}},
    {kButton, 927, u"&About Microsoft Excel", true, {}},
}};

constexpr std::array<BuiltInControl, 9> kMenuBar{{
    {kPopup, 30002, u"&File", false, kFileMenu},
    {kPopup, 30003, u"&Edit", false, kEditMenu},
    {kPopup, 30004, u"&View", false, kViewMenu},
    {kPopup, 30005, u"&Insert", false, kInsertMenu},
    {kPopup, 30006, u"F&ormat", false, kFormatMenu},
    {kPopup, 30007, u"&Tools", false, kToolsMenu},
    {kPopup, 30011, u"&Data", false, kDataMenu},
    {kPopup, 30009, u"&Window", false, kWindowMenu},
    {kPopup, 30010, u"&Help", false, kHelpMenu},
}};

constexpr std::array<BuiltInControl, 12> kStandard{{
    {kButton, 2520, u"&New", false, {}},
    {kButton, 23, u"&Open...", false, {}},
    {kButton, 3, u"&Save", false, {}},
    {kButton, 2521, u"&Print", true, {}},
    {kButton, 2, u"&Spelling...", true, {}},
    {kButton, 21, u"Cu&t", true, {}},
    {kButton, 19, u"&Copy", false, {}},
    {kButton, 22, u"&Paste", false, {}},
    {office::msoControlSplitDropdown, 128, u"&Undo", true, {}},
    {kButton, 210, u"Sort &Ascending", true, {}},
    {office::msoControlComboBox, 1733, u"&Zoom:", true, {}},
    {kButton, 984, u"Microsoft Excel &Help", false, {}},
}};

constexpr std::array<BuiltInControl, 8> kFormatting{{
    {office::msoControlComboBox, 1728, u"&Font:", false, {}},
    {office::msoControlComboBox, 1731, u"&Font Size:", false, {}},
    {kButton, 113, u"&Bold", true, {}},
    {kButton, 114, u"&Italic", false, {}},
    {kButton, 115, u"&Underline", false, {}},
    {kButton, 122, u"&Center", true, {}},
    {office::msoControlSplitButtonPopup, 203, u"&Borders", true, {}},
    {office::msoControlSplitButtonPopup, 401, u"&Font Color", false, {}},
}};

constexpr std::array<BuiltInControl, 3> kDrawing{{
    {kButton, 182, u"Select &Objects", false, {}},
    {kButton, 1111, u"&Rectangle", true, {}},
    {kButton, 1112, u"&Oval", false, {}},
}};

constexpr std::array<BuiltInControl, 8> kCellMenu{{
    {kButton, 21, u"Cu&t", false, {}},
    {kButton, 19, u"&Copy", false, {}},
    {kButton, 22, u"&Paste", false, {}},
    {kButton, 755, u"Paste &Special...", false, {}},
    {kButton, 3181, u"&Insert...", true, {}},
    {kButton, 292, u"&Delete...", false, {}},
    {kButton, 3125, u"Clear Co&ntents", false, {}},
    {kButton, 855, u"&Format Cells...", true, {}},
}};

constexpr std::array<BuiltInBar, 5> kBars{{
    {u"Worksheet Menu Bar", office::msoBarTypeMenuBar, office::msoBarTop, true, 1, kMenuBar},
    {u"Standard", office::msoBarTypeNormal, office::msoBarTop, true, 2, kStandard},
    {u"Formatting", office::msoBarTypeNormal, office::msoBarTop, true, 3, kFormatting},
    {u"Drawing", office::msoBarTypeNormal, office::msoBarBottom, false, 1, kDrawing},
    {u"Cell", office::msoBarTypePopup, office::msoBarPopup, false, 0, kCellMenu},
}};

void AddControls(OfficeModel& office, const std::shared_ptr<BarModel>& bar,
                 std::span<const BuiltInControl> controls) {
    for (const BuiltInControl& entry : controls) {
        CommandBarControlData data;
        data.type = entry.type;
        data.id = entry.id;
        data.builtIn = true;
        data.caption = entry.caption;
        data.beginGroup = entry.beginGroup;
        if (entry.type == kButton)
            data.faceId = entry.id;
        if (KindOf(entry.type) == ControlKind::ComboBox)
            data.width = 100;
        auto control = office.NewControl(std::move(data));
        office.Insert(bar, bar->controls.size(), control);
        if (control->popupBar)
            AddControls(office, control->popupBar, entry.children);
    }
}
} // namespace

void AddBuiltInBars(OfficeModel& office) {
    for (const BuiltInBar& entry : kBars) {
        CommandBarData data;
        data.name = entry.name;
        data.nameLocal = entry.name;
        data.builtIn = true;
        data.visible = entry.visible;
        data.position = entry.position;
        data.type = entry.type;
        data.rowIndex = entry.rowIndex;
        auto bar = office.NewBar(std::move(data));
        office.bars.push_back(bar);
        AddControls(office, bar, entry.controls);
    }
    // Office copies built-in controls from their definitions, not from a bar the user may
    // have changed since.
    office.WalkAll([&](const std::shared_ptr<ControlModel>& control) {
        const bool known = std::any_of(
            office.builtInCatalog.begin(), office.builtInCatalog.end(),
            [&](const auto& prototype) { return prototype->data.id == control->data.id; });
        if (!known)
            office.builtInCatalog.push_back(office.Copy(*control));
        return false;
    });
}

} // namespace tarvex::sim::detail
