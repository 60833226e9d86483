#include "information_form.h"

namespace tarvex::settings {

using base::ControlKind;
using base::FormControl;

TfrmInformation::TfrmInformation() {
    caption = u"Information";
    clientWidth = 310;
    clientHeight = 149;

    // The label keeps its size whatever the text: long messages wrap and are clipped at
    // its bottom edge rather than pushing into the buttons.
    FormControl message;
    message.name = "lblMessage";
    message.kind = ControlKind::Label;
    message.caption = u"lblMessage";
    message.bounds = {16, 55, 281, 25};
    message.wordWrap = true;
    m_lblMessage = AddControl(std::move(message));

    // Neither button is the default or the cancel button: Enter presses the focused one
    // (Yes, first in tab order) and Escape does nothing.
    FormControl yes;
    yes.name = "btnYes";
    yes.kind = ControlKind::Button;
    yes.caption = u"Yes";
    yes.bounds = {144, 112, 75, 25};
    yes.tabOrder = 1;
    yes.modalResult = base::modal_result::Yes;
    m_btnYes = AddControl(std::move(yes));

    FormControl no;
    no.name = "btnNo";
    no.kind = ControlKind::Button;
    no.caption = u"No";
    no.bounds = {224, 112, 75, 25};
    no.tabOrder = 2;
    no.modalResult = base::modal_result::No;
    m_btnNo = AddControl(std::move(no));
}

void TfrmInformation::SetMessage(std::u16string text) {
    SetCaption(m_lblMessage, std::move(text));
}

} // namespace tarvex::settings
