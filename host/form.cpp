#include "form.h"

#include "error.h"

namespace tarvex::host {

int Form::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].name == name)
            return static_cast<int>(i);
    }
    throw Error(hr::InvalidArg, "The form has no control named '" + std::string(name) + "'");
}

Rect Form::ClientBounds(int index) const {
    Rect bounds = controls.at(index).bounds;
    for (int parent = controls.at(index).parent; parent >= 0; parent = controls.at(parent).parent) {
        bounds.left += controls.at(parent).bounds.left;
        bounds.top += controls.at(parent).bounds.top;
    }
    return bounds;
}

int Form::AddControl(FormControl control) {
    controls.push_back(std::move(control));
    return static_cast<int>(controls.size()) - 1;
}

void Form::Changed(int index) {
    if (m_view)
        m_view->ControlChanged(index);
}

void Form::SetChecked(int index, bool checked) {
    FormControl& control = controls.at(index);
    if (control.checked == checked)
        return;
    control.checked = checked;
    Changed(index);
    if (control.kind == ControlKind::RadioButton && checked) {
        for (std::size_t i = 0; i < controls.size(); ++i) {
            FormControl& other = controls[i];
            if (static_cast<int>(i) != index && other.kind == ControlKind::RadioButton &&
                other.parent == control.parent && other.checked) {
                other.checked = false;
                Changed(static_cast<int>(i));
            }
        }
    }
    // A check box reacts to every change of its state, a radio button to becoming checked.
    if (control.kind == ControlKind::CheckBox ||
        (control.kind == ControlKind::RadioButton && checked))
        OnClick(index);
}

void Form::SetEnabled(int index, bool enabled) {
    FormControl& control = controls.at(index);
    if (control.enabled != enabled) {
        control.enabled = enabled;
        Changed(index);
    }
}

void Form::SetCaption(int index, std::u16string text) {
    FormControl& control = controls.at(index);
    if (control.caption != text) {
        control.caption = std::move(text);
        Changed(index);
    }
}

void Form::UserClick(int index) {
    const FormControl& control = controls.at(index);
    if (!control.enabled || !control.visible)
        return;
    switch (control.kind) {
    case ControlKind::CheckBox:
        SetChecked(index, !control.checked);
        break;
    case ControlKind::RadioButton:
        SetChecked(index, true);
        break;
    case ControlKind::Button: {
        const int result = control.modalResult;
        OnClick(index);
        if (result != modal_result::None)
            SetModalResult(result);
        break;
    }
    default:
        OnClick(index);
        break;
    }
}

} // namespace tarvex::host
