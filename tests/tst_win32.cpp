// The Windows build in process, under wine: the file's replacement while another program holds
// the file or it turns read-only, the earlier file's attributes, a folder near the path limit,
// composition, the folder check, and the window: what screen readers read, the tab order,
// pasting from the clipboard and a change of DPI. Prints "ok:" or "FAIL:" per check; the exit
// status is the number of failures.

#include "configwriter.h"
#include "controltable.h"
#include "platform.h"
#include "win32form.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace quorlex;

namespace
{

int g_failures = 0;

std::string narrow(const Text &text)
{
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? char(c) : '?';
    return out;
}

void check(bool ok, const std::string &what)
{
    std::printf("%s %s\n", ok ? "ok:" : "FAIL:", what.c_str());
    std::fflush(stdout);
    g_failures += ok ? 0 : 1;
}

// A new folder under the system's temporary folder, removed with what is in it.
class Folder
{
public:
    explicit Folder(size_t length = 0)
    {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path = reinterpret_cast<const char16_t *>(base) + decimal(GetTickCount64() % 1000000) +
               decimal(++s_count);
        // Padded to `length` characters, the path of a folder deep in a server's tree.
        if (path.size() < length)
            path.append(length - path.size(), u'x');
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
            const Text name = reinterpret_cast<const char16_t *>(found.cFileName);
            if (name != u"." && name != u"..")
                names.push_back(name);
        }
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        return names;
    }
    Text file() const { return path + u"\\QUORLEX_CONFIG.txt"; }
    std::string read() const
    {
        std::string bytes;
        const HANDLE handle = CreateFileW(wide(file()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
        char buffer[4096];
        DWORD got = 0;
        while (handle != INVALID_HANDLE_VALUE &&
               ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got)
            bytes.append(buffer, got);
        CloseHandle(handle);
        return bytes;
    }

    Text path;

private:
    static inline int s_count = 0;
};

// Does `then` on a thread of its own after `milliseconds`, as another program would.
class Later
{
public:
    Later(DWORD milliseconds, std::function<void()> then)
        : m_milliseconds(milliseconds), m_then(std::move(then)),
          m_thread(CreateThread(nullptr, 0, run, this, 0, nullptr))
    {
    }
    ~Later()
    {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }

private:
    static DWORD WINAPI run(void *self)
    {
        auto *later = static_cast<Later *>(self);
        Sleep(later->m_milliseconds);
        later->m_then();
        return 0;
    }
    DWORD m_milliseconds;
    std::function<void()> m_then;
    HANDLE m_thread;
};

// One press of the button: a record with an over-long first message, so that `meanwhile` runs
// while the new file is open and before it takes the earlier one's place.
WriteResult press(const Folder &folder, const std::function<void()> &meanwhile = {},
                  const Text &news = u"new")
{
    ConfigRecord record;
    record.useTieredAdmin = true;
    record.messages[0] = Text(197, u'm');
    record.messages[1] = news;
    WriterHooks hooks;
    hooks.warn = [&](const Text &, const Text &) {
        if (meanwhile)
            meanwhile();
    };
    return writeConfigFile(record, folder.path, hooks);
}

void holdsAndRefusals()
{
    struct Case {
        const char *name;
        DWORD share; // what the holder shares; 0: the file turns read-only instead
        DWORD release;
        bool written;
    };
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const Case cases[] = {
        {"held sharing reads, briefly", FILE_SHARE_READ, 700, true},
        {"held sharing reads, for long", FILE_SHARE_READ, 3500, false},
        {"held sharing deletion, briefly", all, 700, true},
        {"held sharing deletion, for long", all, 3500, true},
        {"turned read-only, briefly", 0, 700, true},
        {"turned read-only, for long", 0, 3500, false},
    };
    for (const Case &c : cases) {
        const Folder folder;
        check(press(folder, {}, u"earlier").ok, std::string(c.name) + ": the earlier file written");
        const std::string earlier = folder.read();
        const size_t entries = folder.entries().size();
        HANDLE held = INVALID_HANDLE_VALUE;
        std::unique_ptr<Later> release;
        const ULONGLONG start = GetTickCount64();
        const WriteResult result = press(folder, [&] {
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
        const std::string now = folder.read();
        const bool replaced = now.find("<1>new\r\n") != std::string::npos;
        // Wine's ReplaceFileW replaces a file held with shared deletion at once; Windows may
        // refuse it until the hold ends. Either way the file is whole and nothing is left.
        const bool expected =
            c.written ? result.ok && replaced : !result.ok && now == earlier && took >= 2000;
        check(expected || (c.share == all && !result.ok && now == earlier),
              std::string(c.name) + ": " + (result.ok ? "written" : narrow(result.reason)) +
                  " after " + std::to_string(took) + " ms");
        std::string left;
        for (const Text &name : folder.entries())
            left += " " + narrow(name);
        check(folder.entries().size() == entries, std::string(c.name) + ": nothing left:" + left);
        if (c.share == FILE_SHARE_READ && !c.written)
            check(narrow(result.reason).find("Another program has the file open") == 0,
                  "held for long: the other program blamed");
    }
}

void earlierAttributesKept()
{
    const Folder folder;
    press(folder);
    SetFileAttributesW(wide(folder.file()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    press(folder);
    check(GetFileAttributesW(wide(folder.file())) & FILE_ATTRIBUTE_HIDDEN,
          "a hidden earlier file: the new one hidden too");
}

void folderNearThePathLimit()
{
    // 240 characters, and the file's path 259: the longest the system takes by default.
    const Folder folder(240);
    Text temporary;
    const WriteResult result = press(folder, [&] {
        for (const Text &name : folder.entries())
            temporary = name;
    });
    check(result.ok && folder.read().find("[Messages]") != std::string::npos,
          "a folder of " + std::to_string(folder.path.size()) + " characters: written");
    check(!temporary.empty() && temporary.size() <= 18,
          "the new file's name while it is written, no longer than the file's: " +
              narrow(temporary));
    check(folder.entries().size() == 1, "a folder of 240 characters: nothing left");
}

void composedAndProbed()
{
    const Folder folder;
    ConfigRecord record;
    record.messages[2] = u"Cafe\u0301 e\u0301te\u0301";
    check(writeConfigFile(record, folder.path, {}).ok &&
              folder.read().find("<2>Caf\xe9 \xe9t\xe9\r\n") != std::string::npos,
          "decomposed text written composed");

    const Folder empty;
    const FolderAccess access = probeFolder(empty.path);
    check(access.writable && empty.entries().empty(), "a folder that takes files: nothing left");
    const FolderAccess missing = probeFolder(empty.path + u"\\gone");
    check(!missing.writable && !missing.denied && !missing.reason.empty(),
          "a folder that does not exist: refused, with the system's reason " +
              narrow(missing.reason));
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
        if (lstrcmpiW(kind, L"Static") == 0)
            return windowText(before);
        if ((GetWindowLongW(before, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) ==
            (WS_GROUP | WS_TABSTOP))
            break;
    }
    return {};
}

void namesAndTabOrder(HWND window)
{
    std::vector<Text> read, expected;
    for (int k = 0; k < 10; ++k) {
        read.push_back(readName(control(window, ctl::txtMessage(k))));
        expected.push_back(u"Message " + decimal(k + 1));
    }
    read.push_back(readName(control(window, ctl::txtFrequency)));
    expected.push_back(u"Message Frequency");
    for (int k = 0; k < 2; ++k)
        read.push_back(readName(control(window, ctl::txtPass(k))));
    expected.push_back(u"Low Access Password");
    expected.push_back(u"Intermediate Access Password");
    for (int row : {0, 15, 41}) {
        for (int level = 0; level < 4; ++level) {
            read.push_back(readName(control(window, ctl::levelButton(row, level))));
            expected.push_back(commandNames()[row] + u": " + kAccessLevelNames[level]);
        }
    }
    Text differ;
    for (size_t i = 0; i < read.size(); ++i) {
        if (read[i] != expected[i])
            differ += u" [" + read[i] + u" for " + expected[i] + u"]";
    }
    check(differ.empty(), "names read as Windows reads them" + narrow(differ));

    // Tab from "Shotgun" around the window: the table's order, the labels passed over.
    std::vector<int> stops, table;
    HWND focus = control(window, ctl::chkWeapon(0));
    do {
        stops.push_back(GetDlgCtrlID(focus) - 100);
        focus = GetNextDlgTabItem(window, focus, FALSE);
    } while (focus && focus != control(window, ctl::chkWeapon(0)) && stops.size() < 500);
    for (int id = 0; id < ctl::kCount; ++id) {
        const ControlKind kind = formControls()[id].kind;
        if ((kind == ControlKind::CheckBox || kind == ControlKind::TextBox ||
             kind == ControlKind::PushButton) &&
            !isInside(id, ctl::fmeAdmin) && !isInside(id, ctl::fmePassword))
            table.push_back(id);
    }
    check(stops == table, "Tab in the table's order: " + std::to_string(stops.size()) + " stops");
}

void paste(HWND window)
{
    const HWND box = control(window, ctl::txtMessage(6));
    for (size_t length : {size_t(7), size_t(2000000)}) {
        // Put there without the terminating zero, as another program may.
        Text text(length, u'x');
        text[1] = u'\t';
        text.back() = u'y';
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length * sizeof(char16_t));
        memcpy(GlobalLock(memory), text.data(), length * sizeof(char16_t));
        GlobalUnlock(memory);
        OpenClipboard(window);
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        SendMessageW(box, EM_SETSEL, 0, -1);
        SendMessageW(box, WM_PASTE, 0, 0);
        text[1] = u' ';
        // Wine ends such a text with a zero in its last place; Windows hands it on as it is.
        Text got(size_t(GetWindowTextLengthW(box)) + 1, u'\0');
        got.resize(
            size_t(GetWindowTextW(box, reinterpret_cast<wchar_t *>(got.data()), int(got.size()))));
        check(got == text || got == text.substr(0, length - 1),
              "an unterminated clipboard text of " + std::to_string(length) +
                  " characters pasted whole and no further: " + std::to_string(got.size()));
    }
}

// What the window's controls are told while its DPI changes.
std::vector<std::string> g_told;
HWND g_window = nullptr;

LRESULT CALLBACK listen(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *sent = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && sent->message == WM_SETREDRAW && sent->hwnd == g_window)
        g_told.push_back(sent->wParam ? "redraw on" : "redraw off");
    if (code == HC_ACTION && sent->message == WM_SETFONT && sent->lParam)
        g_told.push_back("font with redraw");
    if (code == HC_ACTION && sent->message == WM_WINDOWPOSCHANGING &&
        GetParent(sent->hwnd) == g_window && (g_told.empty() || g_told.back() != "moved"))
        g_told.push_back("moved");
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void dpiChange(HWND window)
{
    const UINT dpi = 144;
    SIZE size{};
    const BOOL answered = BOOL(SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, LPARAM(&size)));
    RECT frame{};
    AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, dpi);
    check(answered && size.cx - (frame.right - frame.left) == MulDiv(kFormWidthTwips, dpi, 1440) &&
              size.cy - (frame.bottom - frame.top) == MulDiv(kFormHeightTwips, dpi, 1440),
          "the size asked for at 144 dpi: the layout's own, " + std::to_string(size.cx) + "x" +
              std::to_string(size.cy));

    RECT before;
    GetWindowRect(window, &before);
    const RECT suggested{before.left, before.top, before.left + size.cx, before.top + size.cy};
    g_window = window;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, listen, nullptr, GetCurrentThreadId());
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    UnhookWindowsHookEx(hook);
    std::string told;
    for (const std::string &t : g_told)
        told += t + "; ";
    check(g_told.size() >= 3 && g_told.front() == "redraw off" && g_told[1] == "moved" &&
              g_told[2] == "redraw on" && IsWindowVisible(window),
          "controls moved and given their fonts with redrawing off: " + told);

    std::string misplaced;
    for (int id = 0; id < ctl::kCount; ++id) {
        const HWND child = control(window, id);
        if (!child)
            continue;
        const Twips place = placeOnForm(id);
        RECT expected{MulDiv(place.left, dpi, 1440), MulDiv(place.top, dpi, 1440),
                      MulDiv(place.left + place.width, dpi, 1440),
                      MulDiv(place.top + place.height, dpi, 1440)};
        RECT got;
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&got), 2);
        LOGFONTW font{};
        GetObjectW(HFONT(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof font, &font);
        if (!EqualRect(&got, &expected) || font.lfHeight != -16)
            misplaced += " " + formControls()[id].name;
    }
    check(misplaced.empty(),
          "every control in its place at 144 dpi, in the 16-pixel font" + misplaced);

    ICONINFO icon{};
    BITMAP bitmap{};
    GetIconInfo(HICON(SendMessageW(window, WM_GETICON, ICON_SMALL, 0)), &icon);
    GetObjectW(icon.hbmColor ? icon.hbmColor : icon.hbmMask, sizeof bitmap, &bitmap);
    check(bitmap.bmWidth == GetSystemMetricsForDpi(SM_CXSMICON, dpi),
          "the title bar's icon for 144 dpi: " + std::to_string(bitmap.bmWidth) + " pixels");
}

} // namespace

int main()
{
    holdsAndRefusals();
    earlierAttributesKept();
    folderNearThePathLimit();
    composedAndProbed();

    Win32Form form(GetModuleHandleW(nullptr));
    check(form.open(SW_SHOWNORMAL), "the window opened");
    namesAndTabOrder(form.window());
    paste(form.window());
    dpiChange(form.window());
    std::printf("%d failed\n", g_failures);
    return g_failures;
}
