#pragma once

// The duplicate prompt: one message and the buttons "Yes" and "No". The caller sets the
// message, shows the form modally and reads the answer (6 yes, 7 no, 2 closed).

#include <string>

#include "base/form.h"

namespace tarvex::settings {

/// The modal prompt "Information" with the label lblMessage and the buttons Yes and No.
class TfrmInformation : public base::Form {
public:
    TfrmInformation();

    /// Shows `text` in lblMessage (wrapped at word boundaries; what does not fit is cut off).
    void SetMessage(std::u16string text);

    /// The indexes of the form's controls.
    int MessageLabel() const noexcept { return m_lblMessage; }
    int YesButton() const noexcept { return m_btnYes; }
    int NoButton() const noexcept { return m_btnNo; }

private:
    int m_lblMessage = -1;
    int m_btnYes = -1;
    int m_btnNo = -1;
};

} // namespace tarvex::settings
