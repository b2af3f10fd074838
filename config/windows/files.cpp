#include "files.h"

namespace quorlex
{

FileCalls g_fileCalls;

Text systemReason(DWORD error)
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

Text temporaryName(unsigned attempt)
{
    // Six hex digits that differ between processes and between attempts: "QUORLEX_1a2b3c.tmp".
    const unsigned seed = unsigned(GetCurrentProcessId()) * 2654435761u +
                          unsigned(GetTickCount64()) + attempt * 40503u;
    Text name = u"QUORLEX_";
    for (int shift = 20; shift >= 0; shift -= 4)
        name += u"0123456789abcdef"[(seed >> shift) & 0xf];
    return name + u".tmp";
}

} // namespace quorlex
