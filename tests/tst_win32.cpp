// The Windows window in process, under wine: what screen readers read, the face its text is drawn
// in, pasting from the clipboard, a restart as administrator that the system refuses, a row shown
// after start, and a change of DPI. (Every failure of the file's replacement is tst_faults'.)
// Prints "ok:" or "FAIL:" per check; the exit status is the number of failures.

#include "controltable.h"
#include "foldernotice.h"
#include "messagebox.h"
#include "platform.h"
#include "win32form.h"
#include "windows/files.h"

#include <cstdio>
#include <functional>

using namespace quorlex;

static int g_failures = 0;
static HWND g_window = nullptr; // the form's

static void check(bool ok, const Text &what)
{
    std::printf("%s %ls\n", ok ? "ok:" : "FAIL:", wide(what));
    std::fflush(stdout);
    g_failures += ok ? 0 : 1;
}

static HWND control(int id)
{
    return GetDlgItem(g_window, 100 + id);
}

static Text windowText(HWND window)
{
    Text text(size_t(GetWindowTextLengthW(window)), u'\0');
    GetWindowTextW(window, reinterpret_cast<wchar_t *>(text.data()), int(text.size() + 1));
    return text;
}

static bool isClass(HWND window, const wchar_t *name)
{
    wchar_t kind[16] = {};
    return GetClassNameW(window, kind, 16) && lstrcmpiW(kind, name) == 0;
}

// What the window and its controls are told while its DPI changes, each once in a row.
static Text g_told;

static LRESULT CALLBACK listen(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *sent = reinterpret_cast<const CWPSTRUCT *>(lParam);
    const Text told = sent->message == WM_SETREDRAW && sent->hwnd == g_window
                          ? (sent->wParam ? u"redraw on; " : u"redraw off; ")
                      : sent->message == WM_SETFONT && sent->lParam ? u"font with redraw; "
                      : sent->message == WM_WINDOWPOSCHANGING && GetParent(sent->hwnd) == g_window
                          ? u"moved; "
                          : u"";
    if (code == HC_ACTION &&
        (g_told.size() < told.size() || g_told.substr(g_told.size() - told.size()) != told))
        g_told += told;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void dpiChange()
{
    // Asked for its size at 144 dpi, the window keeps its client area, scaled: the one the
    // administrator gave it, or the layout's own; its frame is drawn for 144 dpi.
    const int dpi = 144;
    SIZE size{};
    Text asked;
    for (const SIZE client : {SIZE{600, 400}, SIZE{987, 622}}) {
        RECT frame{0, 0, client.cx, client.cy}, at144{};
        AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, 96);
        AdjustWindowRectExForDpi(&at144, WS_OVERLAPPEDWINDOW, FALSE, 0, dpi);
        size = {frame.right - frame.left, frame.bottom - frame.top};
        SetWindowPos(g_window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageW(g_window, WM_GETDPISCALEDSIZE, dpi, LPARAM(&size));
        asked += decimal(size.cx - (at144.right - at144.left)) + u"x" +
                 decimal(size.cy - (at144.bottom - at144.top)) + u" ";
    }
    check(asked == u"900x600 1481x933 ", u"client areas asked for at 144 dpi: " + asked);

    // Hidden, the window stays hidden through a change of DPI.
    const RECT suggested{0, 0, size.cx, size.cy};
    ShowWindow(g_window, SW_HIDE);
    SendMessageW(g_window, WM_DPICHANGED, MAKEWPARAM(120, 120), LPARAM(&suggested));
    const bool hidden = !IsWindowVisible(g_window);
    ShowWindow(g_window, SW_SHOWNA);
    // A window gone behind the form's back fails the batch of moves: the rest move one by one.
    DestroyWindow(GetWindow(control(ctl::txtMessage(0)), GW_HWNDPREV));
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, listen, nullptr, GetCurrentThreadId());
    SendMessageW(g_window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    UnhookWindowsHookEx(hook);
    check(hidden && IsWindowVisible(g_window) &&
              g_told.rfind(u"redraw off; moved; redraw on; ", 0) == 0,
          u"hidden, it stays hidden; shown, controls moved and given fonts unseen: " + g_told);

    Text misplaced;
    const auto at = [](int twips) { return MulDiv(twips, dpi, 1440); };
    for (int id = 0; id < ctl::kCount; ++id) {
        const Twips p = placeOnForm(id);
        const RECT expected{at(p.left), at(p.top), at(p.left + p.width), at(p.top + p.height)};
        const HWND child = control(id); // none for a row never shown
        RECT got{};
        LOGFONTW font{};
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, g_window, reinterpret_cast<POINT *>(&got), 2);
        GetObjectW(HFONT(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof font, &font);
        if (child && (!EqualRect(&got, &expected) || font.lfHeight != -16))
            misplaced += u" " + decimal(id);
    }
    check(misplaced.empty(),
          u"every control in its place at 144 dpi, in the 16-pixel font" + misplaced);

    ICONINFO icon{};
    BITMAP bitmap{};
    GetIconInfo(HICON(SendMessageW(g_window, WM_GETICON, ICON_SMALL, 0)), &icon);
    GetObjectW(icon.hbmColor ? icon.hbmColor : icon.hbmMask, sizeof bitmap, &bitmap);
    check(bitmap.bmWidth == GetSystemMetricsForDpi(SM_CXSMICON, dpi),
          u"the title bar's icon for 144 dpi: " + decimal(bitmap.bmWidth) + u" pixels");
}

// The texts of each box this thread shows, each answered as it appears.
static Text g_box;

static LRESULT CALLBACK answer(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND box = HWND(wParam);
    if (code == HCBT_ACTIVATE && isClass(box, L"#32770")) {
        for (HWND part = GetWindow(box, GW_CHILD); part; part = GetWindow(part, GW_HWNDNEXT))
            g_box += windowText(part) + u" | ";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int main()
{
    // A crash ends the run at once, rather than in wine's crash dialog; each box is answered.
    SetUnhandledExceptionFilter(
        [](EXCEPTION_POINTERS *) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
    SetWindowsHookExW(WH_CBT, answer, nullptr, GetCurrentThreadId());
    Win32Form form(GetModuleHandleW(nullptr));
    check(form.open(SW_SHOWNORMAL), u"the window opened");
    g_window = form.window();

    // What a screen reader calls a control on Windows: a button by its text; a text box by the
    // static text before it in z-order, looked for until a control that is a group's Tab stop.
    Text wrong;
    const auto expect = [&](int id, const Text &name) {
        HWND label = control(id), before = label;
        const LONG stop = WS_GROUP | WS_TABSTOP;
        while (isClass(label, L"Edit") && (before = GetWindow(before, GW_HWNDPREV)) &&
               (GetWindowLongW(before, GWL_STYLE) & stop) != stop)
            label = isClass(before, L"Static") ? before : label;
        const Text read = isClass(label, L"Edit") ? Text() : windowText(label);
        wrong += read == name ? Text() : u" [" + read + u" for " + name + u"]";
    };
    for (int k = 0; k < 10; ++k)
        expect(ctl::txtMessage(k), u"Message " + decimal(k + 1));
    expect(ctl::txtFrequency, u"Message Frequency");
    expect(ctl::txtPass(0), u"Low Access Password");
    expect(ctl::txtPass(1), u"Intermediate Access Password");
    for (int row : {0, 15, 41})
        for (int level = 0; level < 4; ++level)
            expect(ctl::levelButton(row, level),
                   commandNames()[row] + u": " + kAccessLevelNames[level]);
    check(wrong.empty(), u"names read as Windows reads them" + wrong);

    // The face the text boxes are drawn in, as realised: the compiled-in one, not a stand-in.
    const HWND box = control(ctl::txtFrequency);
    const HDC dc = GetDC(box); // a common DC: its release takes the font out again
    SelectObject(dc, HGDIOBJ(SendMessageW(box, WM_GETFONT, 0, 0)));
    char16_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, reinterpret_cast<wchar_t *>(face));
    ReleaseDC(box, dc);
    check(Text(face) == u"PT Sans Narrow",
          u"the text boxes' font realised as PT Sans Narrow: " + Text(face));

    // Pasting. What a paste leaves in a text box that held "kept", all selected, with `text` as
    // `format` on the clipboard and `meanwhile` done just before.
    const HWND message = control(ctl::txtMessage(6));
    const auto pasted = [message](UINT format, const Text &text, std::function<void()> meanwhile) {
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() * sizeof(char16_t));
        memcpy(GlobalLock(memory), text.data(), text.size() * sizeof(char16_t));
        GlobalUnlock(memory);
        OpenClipboard(message);
        EmptyClipboard();
        SetClipboardData(format, memory);
        CloseClipboard();
        SetWindowTextW(message, L"kept");
        SendMessageW(message, EM_SETSEL, 0, -1);
        meanwhile();
        SendMessageW(message, WM_PASTE, 0, 0);
        return windowText(message);
    };
    // Two million characters, put there without the terminating zero, as another program may.
    // The system may give the block more room than asked for, and wine ends it with a zero in
    // its last place: what was put there is pasted, a tab as a blank.
    const Text whole = pasted(CF_UNICODETEXT, u"x\tx" + Text(1999997, u'x'), [] {});
    check(whole.size() >= 1999999 && whole.compare(0, 1999999, u"x x" + Text(1999996, u'x')) == 0,
          u"a clipboard text of 2,000,000 characters pasted whole: " + decimal(whole.size()));
    // A picture, as a browser copies it, is no text: the box is left as it was.
    check(pasted(RegisterClipboardFormatW(L"PNG"), u"\x5089\x474E", [] {}) == u"kept",
          u"a picture on the clipboard pasted as nothing, the box's text kept");
    // Held open by another program (a thread here) for a moment, the clipboard is waited for.
    const auto hold = [](void *opened) -> DWORD {
        OpenClipboard(nullptr);
        SetEvent(opened);
        Sleep(50);
        return CloseClipboard();
    };
    const HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE holder = nullptr;
    const Text held = pasted(CF_UNICODETEXT, Text(u"held", 5), [&] {
        holder = CreateThread(nullptr, 0, hold, opened, 0, nullptr);
        WaitForSingleObject(opened, INFINITE);
    });
    WaitForSingleObject(holder, INFINITE);
    check(held == u"held", u"pasted once another program has let the clipboard go: " + held);
    // A block without its terminating zero, before a page that cannot be read, is read to its
    // end; one with it, to its first zero.
    auto *page = static_cast<char16_t *>(VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
    VirtualAlloc(page, 4096, MEM_COMMIT, PAGE_READWRITE);
    Text(2048, u'x').copy(page, 2048);
    check(clipboardText(page, 4096) == Text(2048, u'x') && clipboardText(u"xxx\0x", 10) == u"xxx",
          u"a clipboard block read to its first zero, or to its end and no further");

    const bool restarted = restartAsAdministrator(g_window, u"C:\\nowhere\\quorlex-config.exe");
    check(!restarted && g_box.find(systemReason(ERROR_PATH_NOT_FOUND)) != Text::npos,
          u"a restart as administrator the system refuses said with its reason: " + g_box);
    // Shown after all, a row takes its place in the tab order, at Disabled.
    SendMessageW(control(ctl::chkUseTieredAdmin), BM_CLICK, 0, 0);
    form.showControl(ctl::lblCommand(42), true);
    form.showControl(ctl::fmeAdminLevel(42), true);
    check(GetNextDlgTabItem(g_window, control(ctl::levelButton(41, 3)), FALSE) ==
              control(ctl::levelButton(42, 0)),
          u"a row shown after start in its place in the tab order");
    dpiChange();
    std::printf("%d failed\n", g_failures);
    return g_failures;
}
