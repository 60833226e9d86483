#pragma once

// What a ribbon control's action receives from a ribbon callback.

#include <cstdint>
#include <functional>
#include <string>

#include "host/office/office.h"

namespace tarvex::framework {

class TComponent;

/// The arguments of a ribbon action; fields a callback does not fill stay zero or empty.
struct TadxRibbonActionArguments {
    /// The IRibbonControl Office passed.
    host::office::RibbonControl control;
    /// The toggle state (OnActionState), or true for the repurposed actions.
    bool pressed = false;
    std::u16string selectedId;
    std::int32_t selectedIndex = 0;
    /// Set false before a repurposed action and read back after it.
    bool cancel = false;
    std::u16string text;
};

/// A click on a ribbon button or dialog box launcher: the clicked component and the Office
/// control.
using TadxRibbonOnClick =
    std::function<void(TComponent& sender, const host::office::RibbonControl& control)>;

} // namespace tarvex::framework
