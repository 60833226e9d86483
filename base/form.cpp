#include "form.h"

#include <algorithm>

#include "error.h"

namespace tarvex::base {

int Form::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        if (m_controls[i].name == name)
            return static_cast<int>(i);
    }
    throw Error(hr::InvalidArg, "The form has no control named '" + std::string(name) + "'");
}

Rect Form::ClientBounds(int index) const {
    Rect bounds = m_controls.at(index).bounds;
    // Parents always come before their children (AddControl checks it), so this ends.
    for (int parent = m_controls.at(index).parent; parent >= 0;
         parent = m_controls.at(parent).parent) {
        bounds.left += m_controls.at(parent).bounds.left;
        bounds.top += m_controls.at(parent).bounds.top;
    }
    return bounds;
}

void Form::AppendTabSequence(int parent, std::vector<int>& sequence) const {
    std::vector<int> children;
    for (int i = 0; i < ControlCount(); ++i) {
        if (m_controls[i].parent == parent)
            children.push_back(i);
    }
    std::stable_sort(children.begin(), children.end(), [this](int a, int b) {
        return m_controls[a].tabOrder < m_controls[b].tabOrder;
    });
    for (const int child : children) {
        sequence.push_back(child);
        if (IsContainer(m_controls[child].kind))
            AppendTabSequence(child, sequence);
    }
}

std::vector<int> Form::TabSequence() const {
    std::vector<int> sequence;
    sequence.reserve(m_controls.size());
    AppendTabSequence(-1, sequence);
    return sequence;
}

bool Form::AcceptsInput(int index) const {
    for (int i = index; i >= 0; i = m_controls.at(i).parent) {
        const FormControl& control = m_controls.at(i);
        if (!control.enabled || !control.visible)
            return false;
    }
    return true;
}

bool Form::CanFocus(int index) const {
    switch (Control(index).kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        return AcceptsInput(index);
    default:
        return false;
    }
}

int Form::FirstFocus() const {
    for (const int index : TabSequence()) {
        if (CanFocus(index))
            return index;
    }
    return -1;
}

int Form::NextFocus(int index) const {
    const std::vector<int> sequence = TabSequence();
    const auto at = std::find(sequence.begin(), sequence.end(), index);
    const std::size_t start =
        at == sequence.end() ? 0 : static_cast<std::size_t>(at - sequence.begin());
    for (std::size_t step = 1; step <= sequence.size(); ++step) {
        const int candidate = sequence[(start + step) % sequence.size()];
        if (candidate != index && CanFocus(candidate))
            return candidate;
    }
    return -1;
}

int Form::AddControl(FormControl control) {
    if (control.name.empty())
        throw Error(hr::InvalidArg, "A form control needs a name");
    for (const FormControl& existing : m_controls) {
        if (existing.name == control.name)
            throw Error(hr::InvalidArg,
                        "The form already has a control named '" + control.name + "'");
    }
    if (control.parent != -1 && (control.parent < 0 || control.parent >= ControlCount() ||
                                 !IsContainer(m_controls[control.parent].kind)))
        throw Error(hr::InvalidArg, "The parent of control '" + control.name +
                                        "' is not a group box or panel of the form");
    m_controls.push_back(std::move(control));
    return ControlCount() - 1;
}

void Form::Changed(int index) {
    if (m_view)
        m_view->ControlChanged(index);
}

void Form::SetChecked(int index, bool checked) {
    FormControl& control = m_controls.at(index);
    if (control.checked == checked)
        return;
    control.checked = checked;
    const ControlKind kind = control.kind;
    const int parent = control.parent;
    Changed(index);
    if (kind == ControlKind::RadioButton && checked) {
        for (int i = 0; i < ControlCount(); ++i) {
            FormControl& other = m_controls[i];
            if (i != index && other.kind == ControlKind::RadioButton && other.parent == parent &&
                other.checked) {
                other.checked = false;
                Changed(i);
            }
        }
    }
    // A check box reacts to every change of its state, a radio button to becoming checked.
    if (kind == ControlKind::CheckBox || (kind == ControlKind::RadioButton && checked))
        OnClick(index);
}

void Form::SetEnabled(int index, bool enabled) {
    FormControl& control = m_controls.at(index);
    if (control.enabled != enabled) {
        control.enabled = enabled;
        Changed(index);
    }
}

void Form::SetVisible(int index, bool visible) {
    FormControl& control = m_controls.at(index);
    if (control.visible != visible) {
        control.visible = visible;
        Changed(index);
    }
}

void Form::SetCaption(int index, std::u16string text) {
    FormControl& control = m_controls.at(index);
    if (control.caption != text) {
        control.caption = std::move(text);
        Changed(index);
    }
}

void Form::UserClick(int index) {
    const FormControl& control = m_controls.at(index);
    if (m_modalResult != modal_result::None || !AcceptsInput(index))
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

void Form::BeginModal() {
    m_modalResult = modal_result::None;
    OnShow();
}

} // namespace tarvex::base
