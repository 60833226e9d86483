#pragma once

// Form: a dialog described portably, as a table of controls with their captions, positions
// and states, and the reactions of the dialog's code. The desktop seam shows a form: the
// Windows desktop builds a real dialog window from the table and reports the user's clicks
// back; the simulated desktop lets tests and tarvex-sim answer it. The table is read-only
// from outside: code changes the controls through the form's setters, so that the radio
// group rules hold and a shown window follows every change.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::base {

enum class ControlKind : std::uint8_t { Label, Button, CheckBox, RadioButton, GroupBox, Panel };

/// Whether controls of `kind` hold other controls (group boxes and panels).
constexpr bool IsContainer(ControlKind kind) noexcept {
    return kind == ControlKind::GroupBox || kind == ControlKind::Panel;
}

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
    /// Control `index` changed its caption, checked, enabled or visible state.
    virtual void ControlChanged(int index) = 0;

protected:
    ~FormView() = default;
};

/// A dialog: its caption, client size (pixels at 96 DPI) and font, its controls, and the
/// reactions of its code (OnShow, OnClick). Shown by host::Desktop::ShowModal.
class Form {
public:
    Form() = default;
    virtual ~Form() = default;
    // Controls refer to their parents by index and a view may hold the form's address.
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    /// The title bar text, the client area in pixels at 96 DPI, and the dialog font.
    std::u16string caption;
    int clientWidth = 0;
    int clientHeight = 0;
    std::u16string fontName = u"MS Shell Dlg";
    int fontPoints = 8;

    /// The controls, in the order they were added (their indexes).
    const std::vector<FormControl>& Controls() const noexcept { return m_controls; }
    /// The number of controls.
    int ControlCount() const noexcept { return static_cast<int>(m_controls.size()); }

    /// The index of the control named `name`; throws Error(E_INVALIDARG) for an unknown one.
    int IndexOf(std::string_view name) const;
    /// The control at `index` or named `name` (std::out_of_range, Error for a bad one).
    const FormControl& Control(int index) const { return m_controls.at(index); }
    const FormControl& Control(std::string_view name) const { return m_controls.at(IndexOf(name)); }

    /// The control's position in the form's client coordinates (parents' offsets added).
    Rect ClientBounds(int index) const;

    /// The controls in the order the Tab key visits them: the form's own controls by tab
    /// order (ties by index), each container followed at once by its contents.
    std::vector<int> TabSequence() const;

    /// Whether the user can reach control `index`: it and every container around it are
    /// enabled and visible.
    bool AcceptsInput(int index) const;

    /// Whether control `index` can take the keyboard focus (a button, check box or radio
    /// button that accepts input).
    bool CanFocus(int index) const;

    /// The first control in tab order that can take the focus, or -1 when none can.
    int FirstFocus() const;

    /// The next control after `index` in tab order that can take the focus, wrapping around
    /// to the start (never `index` itself), or -1 when none can.
    int NextFocus(int index) const;

    /// Changes a control. Checking a radio button clears the others of its group; clearing
    /// one checks nothing else. A check box whose state changes, and a radio button that
    /// becomes checked, run OnClick as a click does; setting the state a control already
    /// has does nothing.
    void SetChecked(int index, bool checked);
    void SetEnabled(int index, bool enabled);
    void SetVisible(int index, bool visible);
    void SetCaption(int index, std::u16string text);

    /// The user clicked control `index`: a check box toggles, a radio button becomes
    /// checked, a button runs the form's code and then ends the form with its modal result,
    /// if it has one. Ignored when the control does not accept input and once the form has
    /// a modal result (it has ended; later clicks reach no window).
    void UserClick(int index);

    /// Starts a modal showing: clears the modal result and runs OnShow. The desktop calls it
    /// before the form becomes visible; a result set by OnShow ends the showing at once.
    void BeginModal();

    int ModalResult() const noexcept { return m_modalResult; }
    /// Setting a result other than None ends a modal form with it.
    void SetModalResult(int result) noexcept { m_modalResult = result; }
    /// Closes the form as its close box does: the modal result becomes Cancel. Code that
    /// closes and then sets another result ends the form with that result.
    void Close() noexcept { m_modalResult = modal_result::Cancel; }

    /// Attached by the desktop while the form is shown (null detaches).
    void AttachView(FormView* view) noexcept { m_view = view; }

protected:
    /// Runs when the form is about to be shown.
    virtual void OnShow() {}

    /// The form's reaction to a click on control `index` (or to a change of its checked
    /// state made by code).
    virtual void OnClick(int /*index*/) {}

    /// Adds a control and returns its index. Throws Error(E_INVALIDARG) when the name is
    /// empty or taken, or when `parent` is not a group box or panel added before it.
    int AddControl(FormControl control);

private:
    void Changed(int index);
    void AppendTabSequence(int parent, std::vector<int>& sequence) const;

    std::vector<FormControl> m_controls;
    int m_modalResult = modal_result::None;
    FormView* m_view = nullptr;
};

} // namespace tarvex::base
