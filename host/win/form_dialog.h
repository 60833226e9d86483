#pragma once

// A base::Form shown as a real modal dialog window.

#include <windows.h>

#include "base/form.h"

namespace tarvex::win {

/// Shows `form` as a modal dialog owned by `owner` (null for none) and returns the result it
/// ended with. The form's BeginModal has run already. Every other enabled, visible
/// top-level window of the thread is disabled while the dialog is up and enabled again
/// before it goes; an exception from the form's code ends the dialog and is rethrown here.
/// Throws Error when the dialog cannot be created.
int RunFormDialog(base::Form& form, HWND owner);

} // namespace tarvex::win
