#include "win32form.h"

#include "controltable.h"
#include "filetext.h"
#include "messagebox.h"
#include "platform.h"
#include "windowfont.h"

#include <commctrl.h>

namespace quorlex
{

namespace
{

// Control ids in WM_COMMAND are table ids moved past IDOK and IDCANCEL, which the dialog keys
// Enter and Escape send when no button takes them.
constexpr int kFirstControlId = 100;
constexpr wchar_t kWindowClass[] = L"QuorlexConfigWindow";
constexpr UINT kAddToolTips = WM_APP;

const wchar_t *wide(const Text &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

const std::vector<ControlSpec> &table()
{
    return formControls();
}

int scaled(int twips, UINT dpi)
{
    return MulDiv(twips, int(dpi), kTwipsPerInch);
}

// Visual styles and tool tips come from comctl32 6, which the manifest asks for side by side. It
// is loaded here, once loading is limited to System32 (app/systemdlls.cpp), and not imported, so
// that no comctl32.dll beside the program is ever looked at.
void initCommonControls()
{
    using Init = BOOL(WINAPI *)(const INITCOMMONCONTROLSEX *);
    const HMODULE comctl32 = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto init = reinterpret_cast<Init>(reinterpret_cast<void *>(
        comctl32 ? GetProcAddress(comctl32, "InitCommonControlsEx") : nullptr));
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    if (init)
        init(&classes);
}

// A single-line box takes only the first line of pasted text. These boxes take all of it, as
// the file will hold it: each control character and line break one blank.
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK pastingEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PASTE || (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY))
        return CallWindowProcW(g_editProc, edit, message, wParam, lParam);
    if (!OpenClipboard(edit))
        return 0;
    Text pasted;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto *text = static_cast<const char16_t *>(GlobalLock(data))) {
            pasted = withControlsBlanked(text);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide(pasted)));
    return 0;
}

HICON loadIcon(HINSTANCE instance, int metric, UINT dpi)
{
    const int size = GetSystemMetricsForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace

Win32Form::Win32Form(HINSTANCE instance) : m_instance(instance), m_form(*this, programFolder())
{
    m_controls.reserve(table().size());
    for (const ControlSpec &spec : table())
        m_controls.push_back({nullptr, spec.caption, spec.state, true, spec.enabled});
}

Win32Form::~Win32Form()
{
    if (m_window)
        DestroyWindow(m_window);
    if (m_font)
        DeleteObject(m_font);
}

bool Win32Form::open(int show)
{
    initCommonControls();
    addWindowFont(m_instance);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = m_instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    windowClass.hIcon = loadIcon(m_instance, SM_CXICON, GetDpiForSystem());
    windowClass.hIconSm = loadIcon(m_instance, SM_CXSMICON, GetDpiForSystem());
    if (!RegisterClassExW(&windowClass))
        return false;
    // Created hidden, at the place the system gives a new window, then sized for the DPI of the
    // monitor it lands on.
    if (!CreateWindowExW(0, kWindowClass, wide(kFormCaption), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance,
                         this))
        return false;

    // Every control's state is set before it has a window: the hidden rows then never get one,
    // and no control is drawn before the window is shown.
    m_form.load();
    m_dpi = GetDpiForWindow(m_window);
    m_font = createWindowFont(m_dpi);
    for (int id = 0; id < int(m_controls.size()); ++id) {
        if (shownWithFrames(id))
            createWindow(id);
    }
    RECT frame{0, 0, scaled(kFormWidthTwips, m_dpi), scaled(kFormHeightTwips, m_dpi)};
    AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    m_focus = m_controls[ctl::chkWeapon(0)].window;
    ShowWindow(m_window, show);
    UpdateWindow(m_window);
    // Nobody hovers a button before the window is drawn: its tool tips come after.
    PostMessageW(m_window, kAddToolTips, 0, 0);
    return true;
}

int Win32Form::run()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The dialog keys: Tab and Shift+Tab, the arrow keys within a row, Enter on the button.
        if (!IsDialogMessageW(m_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return int(message.wParam);
}

bool Win32Form::shownWithFrames(int id) const
{
    for (int up = id; up != ctl::kForm; up = table()[up].container) {
        if (!m_controls[up].shown)
            return false;
    }
    return true;
}

bool Win32Form::enabledWithFrames(int id) const
{
    for (int up = id; up != ctl::kForm; up = table()[up].container) {
        if (!m_controls[up].enabled)
            return false;
    }
    return true;
}

int Win32Form::controlId(HWND window) const
{
    const int id = window ? GetDlgCtrlID(window) - kFirstControlId : -1;
    return id >= 0 && id < int(m_controls.size()) && m_controls[id].window == window ? id : -1;
}

RECT Win32Form::pixels(int id) const
{
    // Edges rather than sizes are scaled, so that controls that meet in twips meet in pixels.
    const Twips place = placeOnForm(id);
    return {scaled(place.left, m_dpi), scaled(place.top, m_dpi),
            scaled(place.left + place.width, m_dpi), scaled(place.top + place.height, m_dpi)};
}

void Win32Form::createWindow(int id)
{
    const ControlSpec &spec = table()[id];
    Control &control = m_controls[id];
    // A frame is a sibling of what it holds, as in every Windows dialog; WS_GROUP starts each
    // group of the arrow keys, so that a row's four buttons form one.
    DWORD style = WS_CHILD | WS_VISIBLE | (enabledWithFrames(id) ? 0 : WS_DISABLED);
    DWORD exStyle = WS_EX_NOPARENTNOTIFY; // the window needs no word of each control made
    const wchar_t *windowClass = L"BUTTON";
    const wchar_t *caption = wide(control.text);
    switch (spec.kind) {
    case ControlKind::Frame:
        style |= BS_GROUPBOX | WS_GROUP;
        break;
    case ControlKind::Label:
        windowClass = L"STATIC";
        style |= SS_LEFT | SS_NOPREFIX | WS_GROUP;
        break;
    case ControlKind::CheckBox:
        style |= BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP;
        break;
    case ControlKind::OptionButton:
        // The level's name is the button's text, which screen readers say; the button is too
        // narrow to show it. The selected button is the row's Tab stop (selectLevel()).
        style |= BS_RADIOBUTTON | (control.state ? WS_TABSTOP : 0) |
                 (id == spec.container + 1 ? WS_GROUP : 0);
        caption = wide(spec.levelName);
        break;
    case ControlKind::TextBox:
        windowClass = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | (id == ctl::txtFrequency ? ES_CENTER : 0);
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    case ControlKind::PushButton:
        style |= BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP;
        break;
    }
    const RECT place = pixels(id);
    control.window = CreateWindowExW(exStyle, windowClass, caption, style, place.left, place.top,
                                     place.right - place.left, place.bottom - place.top, m_window,
                                     reinterpret_cast<HMENU>(INT_PTR(kFirstControlId + id)),
                                     m_instance, nullptr);
    if (!control.window)
        return;
    SendMessageW(control.window, WM_SETFONT, WPARAM(m_font), FALSE);
    if (spec.kind == ControlKind::CheckBox || spec.kind == ControlKind::OptionButton)
        SendMessageW(control.window, BM_SETCHECK, control.state, 0);
    if (spec.kind == ControlKind::OptionButton) {
        // Checked as a plain option button, which touches no other, then made automatic, so
        // that a click or an arrow key selects it and clears the rest of its row.
        const LONG created = GetWindowLongW(control.window, GWL_STYLE);
        SetWindowLongW(control.window, GWL_STYLE, (created & ~BS_TYPEMASK) | BS_AUTORADIOBUTTON);
    }
    if (spec.kind == ControlKind::OptionButton && m_tooltip)
        addToolTip(id);
    if (spec.kind == ControlKind::TextBox) {
        SendMessageW(control.window, EM_SETLIMITTEXT, 0, 0); // no limit but the system's
        g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            control.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pastingEditProc)));
    }
}

void Win32Form::addToolTip(int id)
{
    // The level's name, which the button is too narrow to show, as its tool tip.
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_controls[id].window);
    tool.lpszText = const_cast<wchar_t *>(wide(table()[id].levelName));
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Form::selectLevel(int id)
{
    const int row = table()[id].container;
    for (int b = 0; b < kAccessLevelCount; ++b) {
        const int button = row + 1 + b;
        const bool selected = button == id;
        m_controls[button].state = selected ? 1 : 0;
        if (const HWND window = m_controls[button].window) {
            SendMessageW(window, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
            const LONG style = GetWindowLongW(window, GWL_STYLE);
            SetWindowLongW(window, GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
        }
    }
}

int Win32Form::checkState(int id) const
{
    const Control &control = m_controls[id];
    return control.window ? int(SendMessageW(control.window, BM_GETCHECK, 0, 0)) : control.state;
}

void Win32Form::setCheckState(int id, int state)
{
    m_controls[id].state = state;
    if (m_controls[id].window)
        SendMessageW(m_controls[id].window, BM_SETCHECK, WPARAM(state), 0);
}

bool Win32Form::isSelected(int id) const
{
    return checkState(id) == BST_CHECKED;
}

Text Win32Form::text(int id) const
{
    const HWND window = m_controls[id].window;
    if (!window)
        return m_controls[id].text;
    Text text(size_t(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(
        size_t(GetWindowTextW(window, reinterpret_cast<wchar_t *>(text.data()), int(text.size()))));
    return text;
}

void Win32Form::setText(int id, const Text &text)
{
    m_controls[id].text = text;
    if (const HWND window = m_controls[id].window) {
        SetWindowTextW(window, wide(text));
        // A text box shows the start of its text, as when the window opened.
        if (table()[id].kind == ControlKind::TextBox)
            SendMessageW(window, EM_SETSEL, 0, 0);
    }
}

void Win32Form::showControl(int id, bool shown)
{
    m_controls[id].shown = shown;
    for (int j = id; j < int(m_controls.size()); ++j) {
        if (j != id && !isInside(j, id))
            continue;
        const bool visible = shownWithFrames(j);
        if (m_controls[j].window) {
            ShowWindow(m_controls[j].window, visible ? SW_SHOWNA : SW_HIDE);
        } else if (visible && m_window) {
            createWindow(j);
            // In its place in the tab order, after the control before it that has a window.
            HWND before = HWND_TOP;
            for (int k = j - 1; k >= 0 && before == HWND_TOP; --k)
                before = m_controls[k].window ? m_controls[k].window : HWND_TOP;
            SetWindowPos(m_controls[j].window, before, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

void Win32Form::enableControl(int id, bool enabled)
{
    // Windows does not disable what a group box holds with it: each control is disabled, and
    // enabled again only when every frame around it is.
    m_controls[id].enabled = enabled;
    for (int j = id; j < int(m_controls.size()); ++j) {
        if ((j == id || isInside(j, id)) && m_controls[j].window)
            EnableWindow(m_controls[j].window, enabledWithFrames(j));
    }
}

void Win32Form::showMessage(const Text &title, const Text &text)
{
    showMessageBox(m_window, title, text);
}

void Win32Form::setDpi(UINT dpi)
{
    m_dpi = dpi;
    const HFONT font = createWindowFont(dpi);
    for (int id = 0; id < int(m_controls.size()); ++id) {
        if (const HWND window = m_controls[id].window) {
            const RECT place = pixels(id);
            SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                         place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(window, WM_SETFONT, WPARAM(font), TRUE);
        }
    }
    DeleteObject(m_font);
    m_font = font;
}

LRESULT Win32Form::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (LOWORD(wParam) == IDOK && !control) {
            // Enter, and the window has no default button: it presses the focused push button,
            // as in a dialog, and nothing else.
            const int id = controlId(GetFocus());
            if (id >= 0 && table()[id].kind == ControlKind::PushButton)
                m_form.click(id);
            return 0;
        }
        const int id = controlId(control);
        if (id < 0 || HIWORD(wParam) != BN_CLICKED)
            return 0;
        if (table()[id].kind == ControlKind::OptionButton)
            selectLevel(id);
        else
            m_form.click(id);
        return 0;
    }
    case WM_ACTIVATE:
        // The focus goes back to the control that had it, after a message box too.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus && IsChild(m_window, focus))
                m_focus = focus;
        } else if (m_focus && !IsChild(m_window, GetFocus())) {
            SetFocus(m_focus);
        }
        return 0;
    case WM_DPICHANGED: {
        setDpi(HIWORD(wParam));
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_NOTIFY: {
        // An option button draws its focus around its text, which it is too narrow to show: the
        // focus is drawn around the button instead, where the keyboard's user can see it.
        const auto *draw = reinterpret_cast<const NMCUSTOMDRAW *>(lParam);
        const int id = controlId(draw->hdr.hwndFrom);
        if (draw->hdr.code != NM_CUSTOMDRAW || id < 0 ||
            table()[id].kind != ControlKind::OptionButton)
            return 0;
        if (draw->dwDrawStage == CDDS_PREPAINT)
            return CDRF_NOTIFYPOSTPAINT;
        const bool cues =
            !(SendMessageW(draw->hdr.hwndFrom, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
        if (draw->dwDrawStage == CDDS_POSTPAINT && (draw->uItemState & CDIS_FOCUS) && cues) {
            RECT around;
            GetClientRect(draw->hdr.hwndFrom, &around);
            DrawFocusRect(draw->hdc, &around);
        }
        return CDRF_DODEFAULT;
    }
    case kAddToolTips:
        m_tooltip =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, m_instance, nullptr);
        for (int id = 0; id < int(m_controls.size()) && m_tooltip; ++id) {
            if (table()[id].kind == ControlKind::OptionButton && m_controls[id].window)
                addToolTip(id);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

LRESULT CALLBACK Win32Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *form =
            static_cast<Win32Form *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        form->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto *form = reinterpret_cast<Win32Form *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->m_window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return form->handle(message, wParam, lParam);
}

} // namespace quorlex
