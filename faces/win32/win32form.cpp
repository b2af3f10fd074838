#include "win32form.h"

#include "commoncontrols.h"
#include "controltable.h"
#include "filetext.h"
#include "foldernotice.h"
#include "messagebox.h"
#include "placement.h"
#include "platform.h"
#include "windowfont.h"

#include <commctrl.h>

#include <algorithm>

namespace quorlex
{

Text clipboardText(const void *block, size_t bytes)
{
    const auto *begin = static_cast<const char16_t *>(block);
    return Text(begin, std::find(begin, begin + bytes / sizeof(char16_t), u'\0'));
}

namespace
{

// Control ids in WM_COMMAND are table ids moved past IDOK and IDCANCEL, which the dialog keys
// Enter and Escape send when no button takes them.
constexpr int kFirstControlId = 100;
constexpr int kNameLabelId = -1; // as every dialog's unnamed static text
constexpr wchar_t kWindowClass[] = L"QuorlexConfigWindow";
constexpr UINT kAddToolTips = WM_APP;
constexpr DWORD kFrameStyle = WS_OVERLAPPEDWINDOW;

const std::vector<ControlSpec> &table()
{
    return formControls();
}

int scaled(int twips, UINT dpi)
{
    return MulDiv(twips, int(dpi), kTwipsPerInch);
}

// The window's size for a client area of `width` x `height` pixels at `dpi`.
SIZE framed(int width, int height, UINT dpi)
{
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, kFrameStyle, FALSE, 0, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

SIZE layoutSize(UINT dpi)
{
    return framed(scaled(kFormWidthTwips, dpi), scaled(kFormHeightTwips, dpi), dpi);
}

// The clipboard's text; false when it holds none, a picture or files, say. A clipboard manager
// may hold the clipboard for a moment, so opening it is tried a few times.
bool readClipboardText(HWND owner, Text &text)
{
    bool open = false;
    for (int attempt = 0; attempt < 5 && !(open = OpenClipboard(owner)); ++attempt)
        Sleep(20);
    if (!open)
        return false;
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const void *block = data ? GlobalLock(data) : nullptr;
    if (block) {
        text = clipboardText(block, GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return block != nullptr;
}

// A single-line box takes only the first line of pasted text. These boxes take all of it, as
// the file will hold it: each control character and line break one blank. With no text on the
// clipboard, a picture or files, the box stays as it was, as Windows' own boxes do.
WNDPROC g_editProc = nullptr;

LRESULT CALLBACK pastingEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PASTE || (GetWindowLongW(edit, GWL_STYLE) & ES_READONLY))
        return CallWindowProcW(g_editProc, edit, message, wParam, lParam);
    Text pasted;
    if (readClipboardText(edit, pasted)) {
        pasted = withControlsBlanked(pasted);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide(pasted)));
    }
    return 0;
}

HICON loadIcon(HINSTANCE instance, int metric, UINT dpi)
{
    const int size = GetSystemMetricsForDpi(metric, dpi);
    return static_cast<HICON>(
        LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

ScreenRect screenRect(const RECT &rect)
{
    return {int(rect.left), int(rect.top), int(rect.right), int(rect.bottom)};
}

} // namespace

Win32Form::Win32Form(HINSTANCE instance)
    : m_instance(instance), m_windows(table().size()), m_nameLabels(table().size()),
      m_form(*this, programFolder())
{
}

Win32Form::~Win32Form()
{
    if (m_window)
        DestroyWindow(m_window);
    if (m_font)
        DeleteObject(m_font);
    for (HICON icon : m_icons) {
        if (icon)
            DestroyIcon(icon);
    }
}

bool Win32Form::open(int show)
{
    commonControls();
    addWindowFont(m_instance);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = m_instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass))
        return false;
    // Created hidden, at the place the system gives a new window, then sized for the DPI of the
    // monitor it lands on.
    if (!CreateWindowExW(0, kWindowClass, wide(kFormCaption), kFrameStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance,
                         this))
        return false;

    // Every control's state is set before it has a window: the hidden rows then never get one,
    // and no control is drawn before the window is shown.
    m_form.load();
    m_dpi = GetDpiForWindow(m_window);
    m_font = createWindowFont(m_dpi);
    setIcons(m_dpi);
    for (int id = 0; id < int(m_windows.size()); ++id) {
        if (m_states.shownWithFrames(id) && !m_windows[id])
            createWindow(id);
    }
    // Grown for the DPI where the system put it, then moved into the monitor's work area if it
    // now reaches under the task bar or past an edge.
    RECT placed;
    GetWindowRect(m_window, &placed);
    const SIZE size = layoutSize(m_dpi);
    const RECT grown{placed.left, placed.top, placed.left + size.cx, placed.top + size.cy};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&grown, MONITOR_DEFAULTTONEAREST), &monitor);
    const ScreenRect kept = keptInside(screenRect(grown), screenRect(monitor.rcWork));
    SetWindowPos(m_window, nullptr, kept.left, kept.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    m_focus = m_windows[ctl::chkWeapon(0)];
    ShowWindow(m_window, show);
    UpdateWindow(m_window);
    // Nobody hovers a button before the window is drawn: its tool tips come after.
    PostMessageW(m_window, kAddToolTips, 0, 0);
    m_form.checkFolder();
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

int Win32Form::controlId(HWND window) const
{
    const int id = window ? GetDlgCtrlID(window) - kFirstControlId : -1;
    return id >= 0 && id < int(m_windows.size()) && m_windows[id] == window ? id : -1;
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
    const ControlStates::State &state = m_states[id];
    // Screen readers name a text box by the static text just before it in z-order, which is
    // creation order: its label, or a hidden one where the window shows none.
    if (spec.kind == ControlKind::TextBox) {
        if (spec.label < 0)
            createNameLabel(id);
        else if (!m_windows[spec.label])
            createWindow(spec.label);
    }
    // A frame is a sibling of what it holds, as in every Windows dialog; WS_GROUP starts each
    // group of the arrow keys, so that a row's four buttons form one.
    DWORD style = WS_CHILD | WS_VISIBLE | (m_states.enabledWithFrames(id) ? 0 : WS_DISABLED);
    DWORD exStyle = WS_EX_NOPARENTNOTIFY; // the window needs no word of each control made
    const wchar_t *windowClass = L"BUTTON";
    Text caption = state.text;
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
        // The button's text is what screen readers say, "kick: Low"; the button is too narrow
        // to show it. The selected button is the row's Tab stop (selectLevel()).
        style |= BS_RADIOBUTTON | (state.state ? WS_TABSTOP : 0) |
                 (id == spec.container + 1 ? WS_GROUP : 0);
        caption = m_form.accessibleName(id);
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
    const HWND window = CreateWindowExW(
        exStyle, windowClass, wide(caption), style, place.left, place.top, place.right - place.left,
        place.bottom - place.top, m_window, reinterpret_cast<HMENU>(INT_PTR(kFirstControlId + id)),
        m_instance, nullptr);
    m_windows[id] = window;
    if (!window)
        return;
    SendMessageW(window, WM_SETFONT, WPARAM(m_font), FALSE);
    if (spec.kind == ControlKind::CheckBox || spec.kind == ControlKind::OptionButton)
        SendMessageW(window, BM_SETCHECK, state.state, 0);
    if (spec.kind == ControlKind::OptionButton) {
        // Checked as a plain option button, which touches no other, then made automatic, so
        // that a click or an arrow key selects it and clears the rest of its row.
        SendMessageW(window, BM_SETSTYLE, BS_AUTORADIOBUTTON, FALSE);
        if (m_tooltip)
            addToolTip(id);
    }
    if (spec.kind == ControlKind::TextBox) {
        SendMessageW(window, EM_SETLIMITTEXT, 0, 0); // no limit but the system's
        g_editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pastingEditProc)));
    }
}

void Win32Form::createNameLabel(int id)
{
    // Hidden, and so neither seen nor a stop of the keyboard, but read as the box's name.
    const RECT place = pixels(id);
    m_nameLabels[id] =
        CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"STATIC", wide(m_form.accessibleName(id)),
                        WS_CHILD | SS_LEFT | SS_NOPREFIX, place.left, place.top,
                        place.right - place.left, place.bottom - place.top, m_window,
                        reinterpret_cast<HMENU>(INT_PTR(kNameLabelId)), m_instance, nullptr);
}

void Win32Form::addToolTip(int id)
{
    // The level's name, which the button is too narrow to show, as its tool tip.
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_windows[id]);
    tool.lpszText = const_cast<wchar_t *>(wide(table()[id].levelName));
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Form::selectLevel(int id)
{
    const int row = table()[id].container;
    for (int b = 0; b < kAccessLevelCount; ++b) {
        const int button = row + 1 + b;
        const bool selected = button == id;
        m_states[button].state = selected ? 1 : 0;
        if (const HWND window = m_windows[button]) {
            SendMessageW(window, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
            const LONG style = GetWindowLongW(window, GWL_STYLE);
            SetWindowLongW(window, GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
        }
    }
}

int Win32Form::checkState(int id) const
{
    const HWND window = m_windows[id];
    return window ? int(SendMessageW(window, BM_GETCHECK, 0, 0)) : m_states[id].state;
}

void Win32Form::setCheckState(int id, int state)
{
    m_states[id].state = state;
    if (m_windows[id])
        SendMessageW(m_windows[id], BM_SETCHECK, WPARAM(state), 0);
}

bool Win32Form::isSelected(int id) const
{
    return checkState(id) == BST_CHECKED;
}

Text Win32Form::text(int id) const
{
    const HWND window = m_windows[id];
    if (!window)
        return m_states[id].text;
    Text text(size_t(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(
        size_t(GetWindowTextW(window, reinterpret_cast<wchar_t *>(text.data()), int(text.size()))));
    return text;
}

void Win32Form::setText(int id, const Text &text)
{
    m_states[id].text = text;
    if (const HWND window = m_windows[id]) {
        SetWindowTextW(window, wide(text));
        // A text box shows the start of its text, as when the window opened.
        if (table()[id].kind == ControlKind::TextBox)
            SendMessageW(window, EM_SETSEL, 0, 0);
    }
}

void Win32Form::showControl(int id, bool shown)
{
    m_states[id].shown = shown;
    for (int j = id; j < int(m_windows.size()); ++j) {
        if (j != id && !isInside(j, id))
            continue;
        const bool visible = m_states.shownWithFrames(j);
        if (m_windows[j]) {
            ShowWindow(m_windows[j], visible ? SW_SHOWNA : SW_HIDE);
        } else if (visible && m_window) {
            createWindow(j);
            // In its place in the tab order, after the control before it that has a window.
            HWND before = HWND_TOP;
            for (int k = j - 1; k >= 0 && before == HWND_TOP; --k)
                before = m_windows[k] ? m_windows[k] : HWND_TOP;
            SetWindowPos(m_windows[j], before, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

void Win32Form::enableControl(int id, bool enabled)
{
    // Windows does not disable what a group box holds with it: each control is disabled, and
    // enabled again only when every frame around it is.
    m_states[id].enabled = enabled;
    for (int j = id; j < int(m_windows.size()); ++j) {
        if ((j == id || isInside(j, id)) && m_windows[j])
            EnableWindow(m_windows[j], m_states.enabledWithFrames(j));
    }
}

void Win32Form::showMessage(const Text &title, const Text &text)
{
    showMessageBox(m_window, title, text);
}

void Win32Form::showFolderRefusal(const Text &folder, const FolderAccess &access)
{
    // Started again as administrator, this instance ends: nothing was chosen in it yet.
    if (showFolderRefusalBox(m_window, folder, access))
        DestroyWindow(m_window);
}

void Win32Form::setIcons(UINT dpi)
{
    const int metrics[2] = {SM_CXSMICON, SM_CXICON};
    for (int which : {ICON_SMALL, ICON_BIG}) {
        const HICON icon = loadIcon(m_instance, metrics[which], dpi);
        SendMessageW(m_window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
        if (m_icons[which])
            DestroyIcon(m_icons[which]);
        m_icons[which] = icon;
    }
}

void Win32Form::setDpi(UINT dpi)
{
    m_dpi = dpi;
    const HFONT font = createWindowFont(dpi);
    // Moved and given their fonts unseen, then drawn once: nothing flickers on the way. Redrawing
    // turned on again shows a window, so a hidden one is left as it is.
    const bool visible = IsWindowVisible(m_window);
    if (visible)
        SendMessageW(m_window, WM_SETREDRAW, FALSE, 0);
    std::vector<std::pair<HWND, RECT>> places;
    for (int id = 0; id < int(m_windows.size()); ++id) {
        for (const HWND window : {m_windows[id], m_nameLabels[id]}) {
            if (window) {
                places.emplace_back(window, pixels(id));
                SendMessageW(window, WM_SETFONT, WPARAM(font), FALSE);
            }
        }
    }
    // All at once where the system can; should it refuse the batch, one by one.
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
    HDWP moves = BeginDeferWindowPos(int(places.size()));
    for (const auto &[window, place] : places) {
        if (moves)
            moves = DeferWindowPos(moves, window, nullptr, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, flags);
    }
    if (!moves || !EndDeferWindowPos(moves)) {
        for (const auto &[window, place] : places)
            SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                         place.bottom - place.top, flags);
    }
    DeleteObject(m_font);
    m_font = font;
    setIcons(dpi);
    if (visible)
        SendMessageW(m_window, WM_SETREDRAW, TRUE, 0);
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
    case WM_GETDPISCALEDSIZE: {
        // Windows gives the size the window is about to have; the answer keeps its client area,
        // scaled, in a frame drawn for the new DPI, rather than scaling the frame with it. At the
        // layout's size it is the layout's own there, so that moves between monitors add no
        // rounding; a size the administrator gave the window is kept.
        auto &size = *reinterpret_cast<SIZE *>(lParam);
        const UINT dpi = UINT(wParam);
        const SIZE layout = layoutSize(m_dpi), frame = framed(0, 0, m_dpi);
        size = size.cx == layout.cx && size.cy == layout.cy
                   ? layoutSize(dpi)
                   : framed(MulDiv(size.cx - frame.cx, int(dpi), int(m_dpi)),
                            MulDiv(size.cy - frame.cy, int(dpi), int(m_dpi)), dpi);
        return TRUE;
    }
    case WM_DPICHANGED: {
        setDpi(HIWORD(wParam));
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        RedrawWindow(m_window, nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
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
        for (int id = 0; id < int(m_windows.size()) && m_tooltip; ++id) {
            if (table()[id].kind == ControlKind::OptionButton && m_windows[id])
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
