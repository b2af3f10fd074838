#include "messagebox.h"

namespace quorlex
{

namespace
{

// The box on screen; boxes are modal, so there is at most one.
const Text *g_copyText = nullptr;

void putOnClipboard(HWND owner, const Text &text)
{
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return;
    if (void *data = GlobalLock(memory)) {
        CopyMemory(data, text.c_str(), bytes);
        GlobalUnlock(memory);
    }
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, memory))
            CloseClipboard();
        else {
            CloseClipboard();
            GlobalFree(memory);
        }
    } else {
        GlobalFree(memory);
    }
}

LRESULT CALLBACK copyOnCtrlC(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *message = reinterpret_cast<const MSG *>(lParam);
    if (code == MSGF_DIALOGBOX && g_copyText && message->message == WM_KEYDOWN &&
        message->wParam == 'C' && GetKeyState(VK_CONTROL) < 0) {
        putOnClipboard(message->hwnd, *g_copyText);
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

Text systemErrorText(DWORD error)
{
    wchar_t *message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&message), 0, nullptr);
    Text reason = length ? Text(reinterpret_cast<char16_t *>(message), length)
                         : u"System error " + decimal(static_cast<long long>(error));
    LocalFree(message);
    while (!reason.empty() && (reason.back() == u'\n' || reason.back() == u'\r'))
        reason.pop_back();
    return reason;
}

CopiedOnCtrlC::CopiedOnCtrlC(Text text)
    : m_text(std::move(text)),
      m_hook(SetWindowsHookExW(WH_MSGFILTER, copyOnCtrlC, nullptr, GetCurrentThreadId()))
{
    g_copyText = &m_text;
}

CopiedOnCtrlC::~CopiedOnCtrlC()
{
    g_copyText = nullptr;
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
}

void showMessageBox(HWND owner, const Text &title, const Text &text)
{
    // A message box's form: title, text and buttons between rules.
    const Text rule = u"---------------------------\r\n";
    const CopiedOnCtrlC copied(rule + title + u"\r\n" + rule + text + u"\r\n" + rule +
                               u"OK   \r\n" + rule);
    MessageBoxW(owner, wide(text), wide(title), MB_OK);
}

} // namespace quorlex
