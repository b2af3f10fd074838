// The Windows build in process, under wine: the file's replacement while another program holds
// the file or it turns read-only, the earlier file's attributes, a folder near the path limit,
// composition, the folder check, and the window: what screen readers read, the tab order,
// pasting from the clipboard and a change of DPI. Prints "ok:" or "FAIL:" per check; the exit
// status is the number of failures.

#include "configwriter.h"
#include "controltable.h"
#include "platform.h"
#include "win32form.h"

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

// A new folder under the system's temporary folder, padded to `length` characters as a folder
// deep in a server's tree, and removed with what is in it.
struct Folder {
    explicit Folder(size_t length = 0)
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path =
            reinterpret_cast<const char16_t *>(base) + number(GetTickCount64()) + number(++count);
        path.append(length > path.size() ? length - path.size() : 0, u'x');
        CreateDirectoryW(wide(path), nullptr);
    }
    ~Folder()
    {
        for (const Text &name : entries()) {
            SetFileAttributesW(wide(path + u"\\" + name), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(wide(path + u"\\" + name));
        }
        RemoveDirectoryW(wide(path));
    }
    std::vector<Text> entries() const
    {
        std::vector<Text> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(wide(path + u"\\*"), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more;
             more = FindNextFileW(search, &found)) {
            if (found.cFileName[0] != L'.')
                names.push_back(reinterpret_cast<const char16_t *>(found.cFileName));
        }
        FindClose(search);
        return names;
    }
    Text file() const { return path + u"\\QUORLEX_CONFIG.txt"; }
    std::string read() const
    {
        const HANDLE handle = CreateFileW(wide(file()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        std::string bytes(4096, '\0');
        DWORD got = 0;
        ReadFile(handle, bytes.data(), DWORD(bytes.size()), &got, nullptr);
        CloseHandle(handle);
        return bytes.substr(0, got);
    }

    Text path;
    static inline int count = 0;
};

// Does `then` on a thread of its own after `milliseconds`, as another program would; waits for
// it when it goes.
class Later
{
public:
    Later(DWORD milliseconds, std::function<void()> then) : m_ms(milliseconds), m_then(then)
    {
        m_thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
    }
    ~Later()
    {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }

private:
    static DWORD WINAPI run(void *self)
    {
        Sleep(static_cast<Later *>(self)->m_ms);
        static_cast<Later *>(self)->m_then();
        return 0;
    }
    DWORD m_ms;
    std::function<void()> m_then;
    HANDLE m_thread;
};

// One press: an over-long first message, so that `meanwhile` runs while the new file is open
// and before it takes the earlier one's place.
WriteResult press(const Folder &folder, const Text &news, const std::function<void()> &meanwhile)
{
    ConfigRecord record;
    record.messages[0] = Text(197, u'm');
    record.messages[1] = news;
    const WriterHooks hooks{[&](const Text &, const Text &) { meanwhile(); }, {}};
    return writeConfigFile(record, folder.path, hooks);
}

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
        const Folder folder;
        press(folder, u"earlier", [] {});
        const std::string earlier = folder.read();
        HANDLE held = INVALID_HANDLE_VALUE;
        std::unique_ptr<Later> release;
        const ULONGLONG start = GetTickCount64();
        const WriteResult result = press(folder, u"new", [&] {
            if (c.share) {
                held = CreateFileW(wide(folder.file()), GENERIC_READ, c.share, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
                release = std::make_unique<Later>(c.release, [&] { CloseHandle(held); });
            } else {
                SetFileAttributesW(wide(folder.file()), FILE_ATTRIBUTE_READONLY);
                release = std::make_unique<Later>(c.release, [&] {
                    SetFileAttributesW(wide(folder.file()), FILE_ATTRIBUTE_NORMAL);
                });
            }
        });
        const ULONGLONG took = GetTickCount64() - start;
        release.reset();
        const bool replaced = folder.read().find("<1>new\r\n") != std::string::npos;
        // Wine's ReplaceFileW replaces a file held with shared deletion at once; Windows may
        // refuse it until the hold ends. Either way the file is whole and nothing is left.
        const bool expected = c.written ? result.ok && replaced
                                        : !result.ok && folder.read() == earlier && took >= 2000;
        check((expected || (c.share == all && !result.ok && folder.read() == earlier)) &&
                  folder.entries().size() == 1,
              c.name + Text(u": ") + (result.ok ? u"written" : result.reason) + u" after " +
                  number(took) + u" ms, " + number(folder.entries().size()) + u" file left");
        if (c.share == FILE_SHARE_READ && !c.written)
            check(result.reason.find(u"Another program has the file open") == 0,
                  u"held for long: the other program blamed");
    }
}

void filesAndFolders()
{
    const Folder folder;
    press(folder, u"earlier", [] {});
    SetFileAttributesW(wide(folder.file()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    press(folder, u"new", [] {});
    check(GetFileAttributesW(wide(folder.file())) & FILE_ATTRIBUTE_HIDDEN,
          u"a hidden earlier file: the new one hidden too");

    // 240 characters, and the file's path 259: the longest the system takes by default.
    const Folder deep(240);
    Text temporary;
    const bool ok = press(deep, u"new", [&] { temporary = deep.entries().at(0); }).ok;
    check(ok && deep.read().find("<1>new") != std::string::npos && deep.entries().size() == 1 &&
              temporary.size() <= 18,
          u"a folder of 240 characters: written, nothing left, the new file named " + temporary);

    ConfigRecord record;
    record.messages[2] = u"Cafe\u0301 e\u0301te\u0301";
    check(writeConfigFile(record, folder.path, {}).ok &&
              folder.read().find("<2>Caf\xe9 \xe9t\xe9\r\n") != std::string::npos,
          u"decomposed text written composed");

    const Folder empty;
    const FolderAccess access = probeFolder(empty.path), missing = probeFolder(empty.path + u"\\x");
    check(access.writable && empty.entries().empty(), u"a folder that takes files: nothing left");
    check(!missing.writable && !missing.denied && !missing.reason.empty(),
          u"a folder that does not exist: refused for " + missing.reason);
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

void namesAndTabOrder(HWND window)
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

    // Tab from "Shotgun" around the window: the table's order, the labels passed over.
    std::vector<int> stops, table;
    HWND focus = control(window, ctl::chkWeapon(0));
    do {
        stops.push_back(GetDlgCtrlID(focus) - 100);
        focus = GetNextDlgTabItem(window, focus, FALSE);
    } while (focus && focus != control(window, ctl::chkWeapon(0)) && stops.size() < 500);
    for (int id = 0; id < ctl::kCount; ++id) {
        const ControlKind kind = formControls()[id].kind;
        if (kind != ControlKind::Frame && kind != ControlKind::Label &&
            kind != ControlKind::OptionButton && !isInside(id, ctl::fmePassword))
            table.push_back(id);
    }
    check(stops == table, u"Tab in the table's order: " + number(stops.size()) + u" stops");
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
    holdsAndRefusals();
    filesAndFolders();

    Win32Form form(GetModuleHandleW(nullptr));
    check(form.open(SW_SHOWNORMAL), u"the window opened");
    namesAndTabOrder(form.window());
    paste(form.window());
    dpiChange(form.window());
    std::printf("%d failed\n", g_failures);
    return g_failures;
}
