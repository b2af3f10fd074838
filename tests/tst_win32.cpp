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
#include <memory>
#include <vector>

using namespace quorlex;

namespace
{

int g_failures = 0;

void check(bool ok, const Text &what)
{
    std::printf("%s %ls\n", ok ? "ok:" : "FAIL:", wide(what));
    std::fflush(stdout);
    g_failures += ok ? 0 : 1;
}

Text number(unsigned long long n)
{
    return decimal(static_cast<long long>(n));
}

// Does `then` on a thread of its own, as another program would.
HANDLE onAnotherThread(std::function<void()> then)
{
    const auto run = [](void *job) -> DWORD {
        const std::unique_ptr<std::function<void()>> own(static_cast<std::function<void()> *>(job));
        (*own)();
        return 0;
    };
    return CreateThread(nullptr, 0, run, new std::function<void()>(std::move(then)), 0, nullptr);
}

HWND control(HWND window, int id)
{
    return GetDlgItem(window, 100 + id);
}

Text windowText(HWND window)
{
    Text text(size_t(GetWindowTextLengthW(window)), u'\0');
    GetWindowTextW(window, reinterpret_cast<wchar_t *>(text.data()), int(text.size() + 1));
    return text;
}

// What a screen reader calls a control on Windows: a button by its text; a text box by the static
// text before it in z-order, looked for until a control that is a group's Tab stop.
Text readName(HWND control)
{
    wchar_t kind[16] = {};
    GetClassNameW(control, kind, 16);
    if (lstrcmpiW(kind, L"Edit") != 0)
        return windowText(control);
    for (HWND before = GetWindow(control, GW_HWNDPREV); before;
         before = GetWindow(before, GW_HWNDPREV)) {
        GetClassNameW(before, kind, 16);
        const LONG style = GetWindowLongW(before, GWL_STYLE);
        if (lstrcmpiW(kind, L"Static") == 0)
            return windowText(before);
        if ((style & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP))
            break;
    }
    return {};
}

void names(HWND window)
{
    Text wrong;
    const auto expect = [&](int id, const Text &name) {
        if (readName(control(window, id)) != name)
            wrong += u" [" + readName(control(window, id)) + u" for " + name + u"]";
    };
    for (int k = 0; k < 10; ++k)
        expect(ctl::txtMessage(k), u"Message " + number(k + 1));
    expect(ctl::txtFrequency, u"Message Frequency");
    expect(ctl::txtPass(0), u"Low Access Password");
    expect(ctl::txtPass(1), u"Intermediate Access Password");
    for (int row : {0, 15, 41}) {
        for (int level = 0; level < 4; ++level)
            expect(ctl::levelButton(row, level),
                   commandNames()[row] + u": " + kAccessLevelNames[level]);
    }
    check(wrong.empty(), u"names read as Windows reads them" + wrong);
}

// The face the text boxes are drawn in, as realised: the compiled-in one, not a stand-in.
void windowFont(HWND window)
{
    const HWND box = control(window, ctl::txtFrequency);
    const HDC dc = GetDC(box); // a common DC: its release takes the font out again
    SelectObject(dc, HGDIOBJ(SendMessageW(box, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    ReleaseDC(box, dc);
    check(lstrcmpW(face, L"PT Sans Narrow") == 0,
          Text(u"the text boxes' font realised as PT Sans Narrow: ") +
              reinterpret_cast<const char16_t *>(face));
}

// What a paste leaves in a text box that held "kept", all selected, with `text` as `format` on
// the clipboard and `meanwhile` done just before.
Text pasted(HWND box, UINT format, const Text &text, const std::function<void()> &meanwhile)
{
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() * sizeof(char16_t));
    memcpy(GlobalLock(memory), text.data(), text.size() * sizeof(char16_t));
    GlobalUnlock(memory);
    OpenClipboard(box);
    EmptyClipboard();
    SetClipboardData(format, memory);
    CloseClipboard();
    SetWindowTextW(box, L"kept");
    SendMessageW(box, EM_SETSEL, 0, -1);
    meanwhile();
    SendMessageW(box, WM_PASTE, 0, 0);
    return windowText(box);
}

void paste(HWND window)
{
    // Two million characters, put there without the terminating zero, as another program may.
    // The system may give the block more room than asked for, and wine ends it with a zero in
    // its last place: what was put there is pasted, a tab as a blank.
    const HWND box = control(window, ctl::txtMessage(6));
    const Text whole = pasted(box, CF_UNICODETEXT, u"x\tx" + Text(1999997, u'x'), [] {});
    check(whole.size() >= 1999999 && whole.compare(0, 1999999, u"x x" + Text(1999996, u'x')) == 0,
          u"a clipboard text of 2,000,000 characters pasted whole: " + number(whole.size()));
    // A picture, as a browser copies it, is no text: the box is left as it was.
    check(pasted(box, RegisterClipboardFormatW(L"PNG"), u"\x5089\x474E", [] {}) == u"kept",
          u"a picture on the clipboard pasted as nothing, the box's text kept");
    // Held open by another program for a moment, the clipboard is waited for.
    const HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE holder = nullptr;
    const Text held = pasted(box, CF_UNICODETEXT, Text(u"held", 5), [&] {
        holder = onAnotherThread(
            [&] { OpenClipboard(nullptr), SetEvent(opened), Sleep(50), CloseClipboard(); });
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
}

// What the window and its controls are told while its DPI changes.
std::vector<Text> g_told;
HWND g_window = nullptr;

LRESULT CALLBACK listen(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *sent = reinterpret_cast<const CWPSTRUCT *>(lParam);
    const Text told = sent->message == WM_SETREDRAW && sent->hwnd == g_window
                          ? (sent->wParam ? u"redraw on" : u"redraw off")
                      : sent->message == WM_SETFONT && sent->lParam ? u"font with redraw"
                      : sent->message == WM_WINDOWPOSCHANGING && GetParent(sent->hwnd) == g_window
                          ? u"moved"
                          : u"";
    if (code == HC_ACTION && !told.empty() && (g_told.empty() || g_told.back() != told))
        g_told.push_back(told);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void dpiChange(HWND window)
{
    // Asked for its size at 144 dpi, the window keeps its client area, scaled: the layout's own,
    // or the one the administrator gave it; its frame is drawn for 144 dpi.
    const int dpi = 144;
    SIZE size{};
    const auto asked = [&](int width, int height) {
        RECT frame{0, 0, width, height}, at144{};
        AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, 96);
        AdjustWindowRectExForDpi(&at144, WS_OVERLAPPEDWINDOW, FALSE, 0, dpi);
        size = {frame.right - frame.left, frame.bottom - frame.top};
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, LPARAM(&size));
        return number(size.cx - (at144.right - at144.left)) + u"x" +
               number(size.cy - (at144.bottom - at144.top));
    };
    const Text resized = asked(600, 400), layout = asked(987, 622);
    check(resized == u"900x600" && layout == u"1481x933",
          u"client areas asked for at 144 dpi: resized, " + resized + u"; the layout's, " + layout);

    // Hidden, the window stays hidden through a change of DPI.
    RECT before;
    GetWindowRect(window, &before);
    const RECT suggested{before.left, before.top, before.left + size.cx, before.top + size.cy};
    ShowWindow(window, SW_HIDE);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(120, 120), LPARAM(&suggested));
    const bool hidden = !IsWindowVisible(window);
    ShowWindow(window, SW_SHOWNA);
    // A window gone behind the form's back fails the batch of moves: the rest move one by one.
    DestroyWindow(GetWindow(control(window, ctl::txtMessage(0)), GW_HWNDPREV));
    g_window = window;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, listen, nullptr, GetCurrentThreadId());
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    UnhookWindowsHookEx(hook);
    Text told;
    for (const Text &t : g_told)
        told += t + u"; ";
    check(hidden && told.rfind(u"redraw off; moved; redraw on; ", 0) == 0 &&
              IsWindowVisible(window),
          u"hidden, the window stays hidden; shown, its controls are moved and given their fonts "
          u"with redrawing off: " +
              told);

    Text misplaced;
    const auto at = [](int twips) { return MulDiv(twips, dpi, 1440); };
    for (int id = 0; id < ctl::kCount; ++id) {
        const Twips place = placeOnForm(id);
        const RECT expected{at(place.left), at(place.top), at(place.left + place.width),
                            at(place.top + place.height)};
        RECT got{};
        LOGFONTW font{};
        if (const HWND child = control(window, id)) {
            GetWindowRect(child, &got);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&got), 2);
            GetObjectW(HFONT(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof font, &font);
            if (!EqualRect(&got, &expected) || font.lfHeight != -16)
                misplaced += u" " + number(id);
        }
    }
    check(misplaced.empty(),
          u"every control in its place at 144 dpi, in the 16-pixel font" + misplaced);

    ICONINFO icon{};
    BITMAP bitmap{};
    GetIconInfo(HICON(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), &icon);
    GetObjectW(icon.hbmColor ? icon.hbmColor : icon.hbmMask, sizeof bitmap, &bitmap);
    check(bitmap.bmWidth == GetSystemMetricsForDpi(SM_CXSMICON, dpi),
          u"the title bar's icon for 144 dpi: " + number(bitmap.bmWidth) + u" pixels");
}

// The texts of each box this thread shows, each answered as it appears.
Text g_box;

LRESULT CALLBACK answer(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND box = HWND(wParam);
    wchar_t kind[8] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(box, kind, 8) && lstrcmpW(kind, L"#32770") == 0) {
        for (HWND part = GetWindow(box, GW_CHILD); part; part = GetWindow(part, GW_HWNDNEXT))
            g_box += windowText(part) + u" | ";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int main()
{
    // A crash ends the run at once, rather than in wine's crash dialog; each box is answered.
    SetUnhandledExceptionFilter(
        [](EXCEPTION_POINTERS *) -> LONG { return EXCEPTION_EXECUTE_HANDLER; });
    SetWindowsHookExW(WH_CBT, answer, nullptr, GetCurrentThreadId());

    Win32Form form(GetModuleHandleW(nullptr));
    check(form.open(SW_SHOWNORMAL), u"the window opened");
    const HWND window = form.window();
    names(window);
    windowFont(window);
    paste(window);
    const bool restarted = restartAsAdministrator(window, u"C:\\nowhere\\quorlex-config.exe");
    check(!restarted && g_box.find(systemReason(ERROR_PATH_NOT_FOUND)) != Text::npos,
          u"a restart as administrator the system refuses said with its reason: " + g_box);
    // Shown after all, a row takes its place in the tab order, at Disabled.
    SendMessageW(control(window, ctl::chkUseTieredAdmin), BM_CLICK, 0, 0);
    form.showControl(ctl::lblCommand(42), true);
    form.showControl(ctl::fmeAdminLevel(42), true);
    check(GetNextDlgTabItem(window, control(window, ctl::levelButton(41, 3)), FALSE) ==
              control(window, ctl::levelButton(42, 0)),
          u"a row shown after start in its place in the tab order");
    dpiChange(window);
    std::printf("%d failed\n", g_failures);
    return g_failures;
}
