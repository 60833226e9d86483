#pragma once

// Form: a dialog described portably, as a table of controls with their captions, positions
// and states, and the reactions of the dialog's code. The desktop seam shows a form: the
// Windows desktop builds a real dialog window from the table and reports the user's clicks
// back; the simulated desktop lets tests and tarvex-sim answer it. Code changes the
// controls through the form's setters, so that a shown window follows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::host {

enum class ControlKind : std::uint8_t { Label, Button, CheckBox, RadioButton, GroupBox, Panel };

/// A rectangle in pixels at 96 dots per inch.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

/// Modal results, as dialogs return them.
namespace modal_result {
inline constexpr int None = 0;
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace modal_result

/// One control of a form. `bounds` are in the client coordinates of its parent: the form,
/// or the group box or panel at index `parent`. Radio buttons with the same parent form one
/// group. Tab order runs within each parent.
struct FormControl {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::u16string caption;
    Rect bounds;
    int parent = -1;
    int tabOrder = 0;
    /// For buttons: pressing one ends the form with this result (None: it does not).
    int modalResult = modal_result::None;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    /// For labels: wrap the caption at word boundaries within the width.
    bool wordWrap = false;
};

/// What shows a form while it is up; told of every change the form's code makes.
class FormView {
public:
    virtual void ControlChanged(int index) = 0;

protected:
    ~FormView() = default;
};

class Form {
public:
    virtual ~Form() = default;

    std::u16string caption;
    int clientWidth = 0;
    int clientHeight = 0;
    std::u16string fontName = u"MS Shell Dlg";
    int fontPoints = 8;
    std::vector<FormControl> controls;

    /// The index of the control named `name`; throws Error(E_INVALIDARG) for an unknown one.
    int IndexOf(std::string_view name) const;
    const FormControl& Control(int index) const { return controls.at(index); }
    const FormControl& Control(std::string_view name) const { return controls.at(IndexOf(name)); }

    /// The control's position in the form's client coordinates (parents' offsets added).
    Rect ClientBounds(int index) const;

    /// Changes a control. Checking a radio button clears the others of its group. A check
    /// box whose state changes, and a radio button that becomes checked, run OnClick as a
    /// click does.
    void SetChecked(int index, bool checked);
    void SetEnabled(int index, bool enabled);
    void SetCaption(int index, std::u16string text);

    /// The user clicked control `index` (ignored unless it is enabled and visible): a check
    /// box toggles, a radio button becomes checked, a button runs the form's code and then
    /// ends the form with its modal result, if it has one.
    void UserClick(int index);

    /// Runs when the form is about to be shown.
    virtual void OnShow() {}

    int ModalResult() const noexcept { return m_modalResult; }
    /// Setting a result other than None ends a modal form with it.
    void SetModalResult(int result) noexcept { m_modalResult = result; }

    /// Attached by the desktop while the form is shown.
    void AttachView(FormView* view) noexcept { m_view = view; }

protected:
    /// The form's reaction to a click on control `index` (or to a change of its checked
    /// state made by code).
    virtual void OnClick(int /*index*/) {}

    /// Adds a control and returns its index.
    int AddControl(FormControl control);

private:
    void Changed(int index);

    int m_modalResult = modal_result::None;
    FormView* m_view = nullptr;
};

} // namespace tarvex::host
