#include "form_dialog.h"

#include <commctrl.h>

#include <exception>
#include <iterator>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "host/win/handles.h"
#include "host/win/thread_windows.h"
#include "host/win/visual_styles.h"
#include "host/win/wide_text.h"

namespace tarvex::win {

namespace {

using base::ControlKind;
using base::FormControl;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

// Control ids start well above IDOK and IDCANCEL: the dialog manager sends those for Enter
// on a control that is no push button and for Escape, and neither may reach a control.
constexpr int kFirstControlId = 1000;
constexpr UINT_PTR kContainerSubclassId = 1;

// The error for a failed Win32 call, from the thread's last error (E_FAIL when it has none).
base::Error Win32Error(DWORD code, const std::string& what) {
    const base::HResult result = code ? base::FromWin32(code) : base::hr::Fail;
    return base::Error(result, what + " failed (" + base::FormatHResult(result) + ")");
}

base::Error LastError(const std::string& what) {
    return Win32Error(::GetLastError(), what);
}

// Attaches a view to a form for the lifetime of the scope.
class AttachedView {
public:
    AttachedView(base::Form& form, base::FormView& view) noexcept
        : m_form(form) {
        m_form.AttachView(&view);
    }
    ~AttachedView() { m_form.AttachView(nullptr); }
    AttachedView(const AttachedView&) = delete;
    AttachedView& operator=(const AttachedView&) = delete;

private:
    base::Form& m_form;
};

void AppendText(std::vector<WORD>& words, const std::u16string& text) {
    for (const char16_t unit : text)
        words.push_back(unit);
    words.push_back(0);
}

// A dialog template without items: the controls are created from the form's table in
// WM_INITDIALOG, in pixels scaled to the screen's DPI rather than in dialog units.
std::vector<WORD> DialogTemplate(const base::Form& form) {
    // A fixed border and a title bar with the close box only (no minimise, no maximise).
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    // Style, extended style, no items, x, y, cx, cy (placed in WM_INITDIALOG), no menu, the
    // standard dialog class; then the caption, the font size and the font name.
    const WORD header[] = {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<WORD> words(std::begin(header), std::end(header));
    AppendText(words, form.caption);
    words.push_back(static_cast<WORD>(form.fontPoints));
    AppendText(words, form.fontName);
    return words;
}

void ReleaseScreenDc(HDC dc) noexcept {
    ::ReleaseDC(nullptr, dc);
}
using ScreenDc = UniqueHandle<traits::NullInvalid<HDC, ReleaseScreenDc>>;

// The system's DPI: the add-in's windows scale with it (Office runs DPI-aware).
int ScreenDpi() noexcept {
    const ScreenDc screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// Group boxes and panels are real parents, so their children's notifications arrive at
// them; the dialog gets them from here, as if the children were its own.
LRESULT CALLBACK ContainerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR /*id*/, DWORD_PTR /*data*/) {
    try {
        switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case WM_DRAWITEM:
            return ::SendMessageW(::GetParent(window), message, wParam, lParam);
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, &ContainerProcedure, kContainerSubclassId);
            break;
        default:
            break;
        }
        return ::DefSubclassProc(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

class FormDialog final : public base::FormView {
public:
    explicit FormDialog(base::Form& form)
        : m_form(form) {}

    int Run(HWND owner);
    void ControlChanged(int index) override;

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Build();
    HWND CreateControl(int index);
    void Place(HWND owner);
    void UpdateRadioTabStops(int parent) noexcept;
    void Click(int index);
    void Fail(std::exception_ptr failure) noexcept;
    void End(int result) noexcept;
    int Scale(int pixels) const noexcept {
        return ::MulDiv(pixels, m_dpi, USER_DEFAULT_SCREEN_DPI);
    }

    base::Form& m_form;
    HWND m_owner = nullptr;
    HWND m_dialog = nullptr;
    std::vector<HWND> m_windows;
    int m_dpi = USER_DEFAULT_SCREEN_DPI;
    DisabledThreadWindows* m_disabled = nullptr;
    std::exception_ptr m_failure;
    bool m_ended = false;
};

int FormDialog::Run(HWND owner) {
    m_owner = owner;
    m_dpi = ScreenDpi();
    const std::vector<WORD> dialogTemplate = DialogTemplate(m_form);

    DWORD error = 0;
    INT_PTR result = 0;
    {
        // The dialog manager disables the owner itself only when it finds it enabled;
        // disabled here first, it is left to Restore like every other window of the thread.
        DisabledThreadWindows disabled;
        m_disabled = &disabled;
        const AttachedView attached(m_form, *this);
        ::SetLastError(0);
        result = ::DialogBoxIndirectParamW(
            CurrentModule(), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner,
            &FormDialog::Procedure, reinterpret_cast<LPARAM>(this));
        error = ::GetLastError();
        m_disabled = nullptr;
    }
    if (m_failure)
        std::rethrow_exception(m_failure);
    if (result == -1 || result == 0)
        throw Win32Error(error, "Showing the dialog '" + base::Utf16ToUtf8(m_form.caption) + "'");
    if (!m_ended)
        throw base::Error(base::hr::Abort, "The dialog '" + base::Utf16ToUtf8(m_form.caption) +
                                               "' was ended from outside");
    return static_cast<int>(result);
}

INT_PTR CALLBACK FormDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<FormDialog*>(lParam)->m_dialog = dialog;
    }
    // Messages before WM_INITDIALOG (WM_SETFONT...) find no dialog object yet.
    auto* const self = reinterpret_cast<FormDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        self->Fail(std::current_exception());
        return TRUE;
    }
}

INT_PTR FormDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        Build();
        Place(m_owner);
        const int first = m_form.FirstFocus();
        if (first >= 0) {
            // Through the dialog manager, which also makes a focused push button the one
            // that Enter presses.
            ::SendMessageW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_windows[first]),
                           TRUE);
        }
        return FALSE; // the focus is set
    }
    case WM_COMMAND: {
        const int index = LOWORD(wParam) - kFirstControlId;
        if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < m_form.ControlCount() &&
            m_windows[index] == reinterpret_cast<HWND>(lParam)) {
            Click(index);
            return TRUE;
        }
        // IDCANCEL from Escape and IDOK from Enter elsewhere: no button has those ids.
        return FALSE;
    }
    case WM_CLOSE:
        // The close box, Alt+F4 and the system menu's Close.
        End(base::modal_result::Cancel);
        return TRUE;
    default:
        return FALSE;
    }
}

void FormDialog::Build() {
    const auto font = static_cast<WPARAM>(::SendMessageW(m_dialog, WM_GETFONT, 0, 0));
    m_windows.assign(m_form.ControlCount(), nullptr);
    // In tab order: containers come before their contents, and each parent's children are
    // created in the order the dialog manager's Tab key follows.
    for (const int index : m_form.TabSequence()) {
        m_windows[index] = CreateControl(index);
        ::SendMessageW(m_windows[index], WM_SETFONT, font, FALSE);
    }
    for (int index = 0; index < m_form.ControlCount(); ++index) {
        if (IsContainer(m_form.Control(index).kind))
            UpdateRadioTabStops(index);
    }
    UpdateRadioTabStops(-1);
}

HWND FormDialog::CreateControl(int index) {
    const FormControl& control = m_form.Control(index);
    const wchar_t* windowClass = L"Button";
    DWORD style = WS_CHILD | WS_GROUP;
    DWORD exStyle = 0;
    switch (control.kind) {
    case ControlKind::Label:
        // The caption is shown as it is (no & accelerators); fixed size, clipped.
        windowClass = L"Static";
        style |= SS_NOPREFIX | (control.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
        break;
    case ControlKind::Button:
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    case ControlKind::CheckBox:
        style |= BS_CHECKBOX | WS_TABSTOP;
        break;
    case ControlKind::RadioButton:
        // Checked through the form (no BS_AUTORADIOBUTTON); a group starts at the first
        // radio button of its parent, and its tab stop is set by UpdateRadioTabStops.
        style = WS_CHILD | BS_RADIOBUTTON;
        break;
    case ControlKind::GroupBox:
        style |= BS_GROUPBOX | WS_CLIPCHILDREN;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
    case ControlKind::Panel:
        windowClass = L"Static";
        style |= WS_CLIPCHILDREN;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
    }
    if (control.kind == ControlKind::RadioButton) {
        bool first = true;
        for (int i = 0; i < index && first; ++i) {
            const FormControl& other = m_form.Control(i);
            first = !(other.kind == ControlKind::RadioButton && other.parent == control.parent);
        }
        if (first)
            style |= WS_GROUP;
    }
    if (control.visible)
        style |= WS_VISIBLE;
    if (!control.enabled)
        style |= WS_DISABLED;

    const HWND parent = control.parent < 0 ? m_dialog : m_windows.at(control.parent);
    const std::u16string text = control.kind == ControlKind::Panel ? u"" : control.caption;
    const HWND window = ::CreateWindowExW(
        exStyle, windowClass, WideOf(text), style, Scale(control.bounds.left),
        Scale(control.bounds.top), Scale(control.bounds.width), Scale(control.bounds.height),
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
        CurrentModule(), nullptr);
    if (!window)
        throw LastError("Creating the control '" + control.name + "'");
    if (IsContainer(control.kind) &&
        !::SetWindowSubclass(window, &ContainerProcedure, kContainerSubclassId, 0))
        throw LastError("Subclassing the container '" + control.name + "'");
    if (control.checked &&
        (control.kind == ControlKind::CheckBox || control.kind == ControlKind::RadioButton))
        ::SendMessageW(window, BM_SETCHECK, BST_CHECKED, 0);
    return window;
}

void FormDialog::Place(HWND owner) {
    RECT frame{0, 0, Scale(m_form.clientWidth), Scale(m_form.clientHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(m_dialog, GWL_STYLE)),
                         FALSE, static_cast<DWORD>(::GetWindowLongPtrW(m_dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred in the work area of the screen the owner is on (the primary one without an
    // owner), as DS_CENTER would centre it.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor))
        area = monitor.rcWork;
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(m_dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Tab reaches a radio group at its checked button, or at its first one when none is checked;
// the arrow keys move within the group.
void FormDialog::UpdateRadioTabStops(int parent) noexcept {
    int stop = -1;
    for (const int index : m_form.TabSequence()) {
        const FormControl& control = m_form.Control(index);
        if (control.kind != ControlKind::RadioButton || control.parent != parent)
            continue;
        if (stop < 0 || control.checked)
            stop = index;
        if (control.checked)
            break;
    }
    for (int index = 0; index < m_form.ControlCount(); ++index) {
        const FormControl& control = m_form.Control(index);
        if (control.kind != ControlKind::RadioButton || control.parent != parent ||
            !m_windows[index])
            continue;
        LONG_PTR style = ::GetWindowLongPtrW(m_windows[index], GWL_STYLE);
        style = index == stop ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
        ::SetWindowLongPtrW(m_windows[index], GWL_STYLE, style);
    }
}

void FormDialog::ControlChanged(int index) {
    if (index < 0 || index >= static_cast<int>(m_windows.size()) || !m_windows[index])
        return;
    const HWND window = m_windows[index];
    const FormControl& control = m_form.Control(index);

    if (control.kind != ControlKind::Panel) {
        std::u16string shown(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, u'\0');
        shown.resize(static_cast<std::size_t>(::GetWindowTextW(
            window, reinterpret_cast<wchar_t*>(shown.data()), static_cast<int>(shown.size()))));
        if (shown != control.caption)
            ::SetWindowTextW(window, WideOf(control.caption));
    }
    if (control.kind == ControlKind::CheckBox || control.kind == ControlKind::RadioButton) {
        ::SendMessageW(window, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        if (control.kind == ControlKind::RadioButton)
            UpdateRadioTabStops(control.parent);
    }

    // A control about to lose the focus by being disabled or hidden hands it on to the next
    // one in tab order first: Windows would leave the dialog without a focus, and the keys
    // would reach nothing.
    const HWND focus = ::GetFocus();
    if (focus && (focus == window || ::IsChild(window, focus)) && !m_form.AcceptsInput(index)) {
        const int next = m_form.NextFocus(index);
        if (next >= 0 && m_windows[next])
            ::SendMessageW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_windows[next]),
                           TRUE);
    }
    ::EnableWindow(window, control.enabled ? TRUE : FALSE);
    ::ShowWindow(window, control.visible ? SW_SHOWNA : SW_HIDE);
}

void FormDialog::Click(int index) {
    m_form.UserClick(index);
    if (m_form.ModalResult() != base::modal_result::None)
        End(m_form.ModalResult());
}

void FormDialog::Fail(std::exception_ptr failure) noexcept {
    if (!m_failure)
        m_failure = failure;
    End(base::modal_result::Cancel);
}

void FormDialog::End(int result) noexcept {
    if (m_ended)
        return;
    m_ended = true;
    m_form.SetModalResult(result);
    // The other windows come back before the dialog goes, so that Windows hands the
    // activation back to the owner rather than to some other program's window.
    if (m_disabled)
        m_disabled->Restore();
    ::EndDialog(m_dialog, result);
}

} // namespace

int RunFormDialog(base::Form& form, HWND owner) {
    FormDialog dialog(form);
    return dialog.Run(owner);
}

} // namespace tarvex::win
