// The Windows window in process, under wine: what screen readers read, pasting from the clipboard
// and a change of DPI. (Every failure of the file's replacement is tst_faults'.)
// Prints "ok:" or "FAIL:" per check; the exit status is the number of failures.

#include "controltable.h"
#include "platform.h"
#include "win32form.h"

#include <cstdio>
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

HWND control(HWND window, int id)
{
    return GetDlgItem(window, 100 + id);
}

Text windowText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return reinterpret_cast<const char16_t *>(text);
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

void paste(HWND window)
{
    // Two million characters, put there without the terminating zero, as another program may.
    const HWND box = control(window, ctl::txtMessage(6));
    Text text(2000000, u'x');
    text[1] = u'\t';
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() * sizeof(char16_t));
    memcpy(GlobalLock(memory), text.data(), text.size() * sizeof(char16_t));
    GlobalUnlock(memory);
    OpenClipboard(window);
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, WM_PASTE, 0, 0);
    // Wine ends such a text with a zero in its last place; Windows hands it on as it is.
    const int length = GetWindowTextLengthW(box);
    check((length == 2000000 || length == 1999999) && windowText(box).substr(0, 3) == u"x x",
          u"a clipboard text of 2,000,000 characters pasted whole and no further: " +
              number(length));
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
    const int dpi = 144;
    SIZE size{};
    const BOOL answered = BOOL(SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, LPARAM(&size)));
    RECT frame{};
    AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, dpi);
    check(answered && size.cx - (frame.right - frame.left) == MulDiv(kFormWidthTwips, dpi, 1440) &&
              size.cy - (frame.bottom - frame.top) == MulDiv(kFormHeightTwips, dpi, 1440),
          u"the size asked for at 144 dpi: the layout's own, " + number(size.cx) + u"x" +
              number(size.cy));

    RECT before;
    GetWindowRect(window, &before);
    const RECT suggested{before.left, before.top, before.left + size.cx, before.top + size.cy};
    g_window = window;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, listen, nullptr, GetCurrentThreadId());
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    UnhookWindowsHookEx(hook);
    Text told;
    for (const Text &t : g_told)
        told += t + u"; ";
    check(told.rfind(u"redraw off; moved; redraw on; ", 0) == 0 && IsWindowVisible(window),
          u"controls moved and given their fonts with redrawing off: " + told);

    Text misplaced;
    for (int id = 0; id < ctl::kCount; ++id) {
        const Twips place = placeOnForm(id);
        const RECT expected{MulDiv(place.left, dpi, 1440), MulDiv(place.top, dpi, 1440),
                            MulDiv(place.left + place.width, dpi, 1440),
                            MulDiv(place.top + place.height, dpi, 1440)};
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

} // namespace

int main()
{
    Win32Form form(GetModuleHandleW(nullptr));
    check(form.open(SW_SHOWNORMAL), u"the window opened");
    names(form.window());
    windowFont(form.window());
    paste(form.window());
    dpiChange(form.window());
    std::printf("%d failed\n", g_failures);
    return g_failures;
}
