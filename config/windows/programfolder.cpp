#include "platform.h"

#include <windows.h>

namespace quorlex
{

const char16_t kPathSeparator = u'\\';

Text programFolder()
{
    // A path may be longer than MAX_PATH where the system allows long paths.
    Text path(MAX_PATH, u'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t *>(path.data()),
                                                DWORD(path.size()));
        if (length == 0)
            return u".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(u"\\/");
    // The root of a drive keeps its separator ("C:\"), as the system reports such a folder.
    const size_t end = slash == Text::npos ? 0 : (slash == 2 && path[1] == u':' ? 3 : slash);
    path.resize(end);
    return path;
}

} // namespace quorlex
