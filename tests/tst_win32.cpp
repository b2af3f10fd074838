// The Windows build in process, under wine: the file's replacement while another program holds
// the file or it turns read-only, with the earlier file's attributes, in a folder at the path
// limit; and the window: what screen readers read, pasting from the clipboard and a change of DPI.
// Prints "ok:" or "FAIL:" per check; the exit status is the number of failures.

#include "configwriter.h"
#include "controltable.h"
#include "foldernotice.h"
#include "messagebox.h"
#include "platform.h"
#include "win32form.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

using namespace quorlex;
namespace fs = std::filesystem;

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

// A new folder of 240 characters under the system's temporary folder, as deep in a server's tree
// as a folder can be: the file's path is then 259 characters, the longest the system takes by
// default.
fs::path newFolder()
{
    static int count = 0;
    std::wstring name = (fs::temp_directory_path() / std::to_wstring(GetTickCount64())).wstring() +
                        std::to_wstring(++count);
    const fs::path folder = name.append(240 - name.size(), L'x');
    fs::create_directory(folder);
    return folder;
}

Text text(const fs::path &path)
{
    return reinterpret_cast<const char16_t *>(path.c_str());
}

std::string contents(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Does `then` on a thread of its own after `milliseconds`, as another program would.
HANDLE later(DWORD milliseconds, std::function<void()> then)
{
    using Job = std::pair<DWORD, std::function<void()>>;
    const auto run = [](void *job) -> DWORD {
        const std::unique_ptr<Job> own(static_cast<Job *>(job));
        Sleep(own->first);
        own->second();
        return 0;
    };
    return CreateThread(nullptr, 0, run, new Job(milliseconds, std::move(then)), 0, nullptr);
}

// One press: an over-long first message, so that `meanwhile` runs while the new file is open
// and before it takes the earlier one's place.
WriteResult press(const fs::path &folder, const Text &news, const std::function<void()> &meanwhile)
{
    ConfigRecord record;
    record.messages[0] = Text(197, u'm');
    record.messages[1] = news;
    return writeConfigFile(record, text(folder),
                           {[&](const Text &, const Text &) { meanwhile(); }, {}});
}

// The earlier file, hidden, held by another program or turned read-only while the new one is
// written, in a folder at the path limit.
void holdsAndRefusals()
{
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    struct Case {
        const char16_t *name;
        DWORD share; // what the holder shares; 0: the file turns read-only instead
        DWORD release;
        bool written;
    } const cases[] = {
        {u"held sharing reads, briefly", FILE_SHARE_READ, 700, true},
        {u"held sharing reads, for long", FILE_SHARE_READ, 3500, false},
        {u"held sharing deletion, briefly", all, 700, true},
        {u"held sharing deletion, for long", all, 3500, true},
        {u"turned read-only, briefly", 0, 700, true},
        {u"turned read-only, for long", 0, 3500, false},
    };
    for (const Case &c : cases) {
        const fs::path folder = newFolder(), file = folder / "QUORLEX_CONFIG.txt";
        press(folder, u"earlier", [] {});
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
        const std::string earlier = contents(file);
        HANDLE held = INVALID_HANDLE_VALUE, release = nullptr;
        Text temporary;
        const ULONGLONG start = GetTickCount64();
        const WriteResult result = press(folder, u"new", [&] {
            for (const fs::directory_entry &entry : fs::directory_iterator(folder))
                temporary = entry.path() == file ? temporary : text(entry.path().filename());
            if (c.share) {
                held = CreateFileW(file.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
                release = later(c.release, [&] { CloseHandle(held); });
            } else {
                SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
                release = later(c.release,
                                [&] { SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN); });
            }
        });
        const ULONGLONG took = GetTickCount64() - start;
        WaitForSingleObject(release, INFINITE);
        CloseHandle(release);
        // Wine's ReplaceFileW replaces a file held with shared deletion at once; Windows may
        // refuse it until the hold ends. Either way the file is whole and nothing is left. Held
        // for long, the other program is blamed, not the system.
        const bool written = result.ok && contents(file).find("<1>new\r\n") != std::string::npos &&
                             (GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        const bool kept =
            !result.ok && contents(file) == earlier && (took >= 2000 || c.share == all);
        const bool blamed = result.reason.find(u"Another program has the file open") == 0;
        const size_t left = size_t(std::distance(fs::directory_iterator(folder), {}));
        check((c.written ? written : kept) || (c.share == all && kept),
              c.name + Text(u": ") + (result.ok ? u"written, hidden as before" : result.reason) +
                  u" after " + number(took) + u" ms");
        check(left == 1 && temporary.size() <= 18 &&
                  blamed == (c.share == FILE_SHARE_READ && !c.written),
              u"nothing left; the new file's name was " + temporary);
        fs::remove_all(folder);
    }
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

// What a paste leaves in a text box that held "kept", all selected, with `data` of `format` on
// the clipboard and `meanwhile` done just before.
Text pasted(
    HWND box, UINT format, HANDLE data, const std::function<void()> &meanwhile = [] {})
{
    OpenClipboard(box);
    EmptyClipboard();
    SetClipboardData(format, data);
    CloseClipboard();
    SetWindowTextW(box, L"kept");
    SendMessageW(box, EM_SETSEL, 0, -1);
    meanwhile();
    SendMessageW(box, WM_PASTE, 0, 0);
    return windowText(box);
}

HGLOBAL block(const Text &text)
{
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() * sizeof(char16_t));
    memcpy(GlobalLock(memory), text.data(), text.size() * sizeof(char16_t));
    GlobalUnlock(memory);
    return memory;
}

void paste(HWND window)
{
    // Two million characters, put there without the terminating zero, as another program may.
    // The system may give the block more room than asked for, and wine ends it with a zero in
    // its last place: what was put there is pasted, a tab as a blank.
    const HWND box = control(window, ctl::txtMessage(6));
    Text text(2000000, u'x');
    text[1] = u'\t';
    const Text whole = pasted(box, CF_UNICODETEXT, block(text));
    check(whole.size() >= 1999999 && whole.compare(0, 1999999, u"x x" + Text(1999996, u'x')) == 0,
          u"a clipboard text of 2,000,000 characters pasted whole: " + number(whole.size()));
    check(pasted(box, CF_BITMAP, CreateBitmap(1, 1, 1, 1, nullptr)) == u"kept",
          u"a picture on the clipboard pasted as nothing, the box's text kept");
    // Held open by another program for a moment, the clipboard is waited for.
    const HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE holder = nullptr;
    const Text held = pasted(box, CF_UNICODETEXT, block(Text(u"held", 5)), [&] {
        holder = later(0, [&] {
            OpenClipboard(nullptr);
            SetEvent(opened);
            Sleep(50);
            CloseClipboard();
        });
        WaitForSingleObject(opened, INFINITE);
    });
    WaitForSingleObject(holder, INFINITE);
    check(held == u"held", u"pasted once another program has let the clipboard go: " + held);
    // A block without its terminating zero, before a page that cannot be read, is read to its
    // end; one with it, to its first zero.
    auto *page = static_cast<char16_t *>(VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS));
    std::fill_n(static_cast<char16_t *>(VirtualAlloc(page, 4096, MEM_COMMIT, PAGE_READWRITE)), 2048,
                u'x');
    const Text unterminated = clipboardText(page, 4096);
    page[3] = u'\0';
    check(unterminated == Text(2048, u'x') && clipboardText(page, 4096) == u"xxx",
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
    // Asked for its size at 144 dpi, the window at the layout's size gets the layout's own there;
    // one the administrator resized keeps its client area, scaled; both with the frame for 144.
    const int dpi = 144;
    const auto framed = [](int width, int height, int at) {
        RECT frame{0, 0, width, height};
        AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, at);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    };
    const auto asked = [&](SIZE size) {
        SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        return SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, LPARAM(&size)) ? size : SIZE{};
    };
    const SIZE resized = asked(framed(600, 400, 96)), scaled = framed(900, 600, dpi);
    const SIZE size = asked(framed(kFormWidthTwips / 15, kFormHeightTwips / 15, 96));
    const SIZE layout =
        framed(MulDiv(kFormWidthTwips, dpi, 1440), MulDiv(kFormHeightTwips, dpi, 1440), dpi);
    check(size.cx == layout.cx && size.cy == layout.cy && resized.cx == scaled.cx &&
              resized.cy == scaled.cy,
          u"the sizes asked for at 144 dpi: the layout's own, " + number(size.cx) + u"x" +
              number(size.cy) + u"; resized, " + number(resized.cx) + u"x" + number(resized.cy));

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

// The texts of each box this thread shows, which is answered as it appears.
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

// A restart as administrator that the system refuses, and a row shown after start.
void restartAndRow(Win32Form &form)
{
    const HHOOK hook = SetWindowsHookExW(WH_CBT, answer, nullptr, GetCurrentThreadId());
    const bool restarted =
        restartAsAdministrator(form.window(), u"C:\\nowhere\\quorlex-config.exe");
    UnhookWindowsHookEx(hook);
    check(!restarted && g_box.find(systemErrorText(ERROR_PATH_NOT_FOUND)) != Text::npos,
          u"a restart the system refuses said with its reason: " + g_box);
    // Shown after all, a row takes its place in the tab order, at Disabled.
    SendMessageW(control(form.window(), ctl::chkUseTieredAdmin), BM_CLICK, 0, 0);
    form.showControl(ctl::lblCommand(42), true);
    form.showControl(ctl::fmeAdminLevel(42), true);
    check(GetNextDlgTabItem(form.window(), control(form.window(), ctl::levelButton(41, 3)),
                            FALSE) == control(form.window(), ctl::levelButton(42, 0)),
          u"a row shown after start in its place in the tab order");
}

} // namespace

int main()
{
    holdsAndRefusals();

    Win32Form form(GetModuleHandleW(nullptr));
    check(form.open(SW_SHOWNORMAL), u"the window opened");
    names(form.window());
    paste(form.window());
    restartAndRow(form);
    dpiChange(form.window());
    std::printf("%d failed\n", g_failures);
    return g_failures;
}
