#include "platform.h"

#include <windows.h>

namespace quorlex
{

const char16_t kPathSeparator = u'\\';

Text programFolder()
{
    // A path may be longer than MAX_PATH where the system allows long paths.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return u".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    // The root of a drive keeps its separator ("C:\"), as the system reports such a folder.
    const size_t end =
        slash == std::wstring::npos ? 0 : (slash == 2 && path[1] == L':' ? 3 : slash);
    return Text(reinterpret_cast<const char16_t *>(path.data()), end);
}

} // namespace quorlex
