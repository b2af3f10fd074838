#include "platform.h"

#include <windows.h>

namespace quorlex
{

std::string toCodePage(TextView text)
{
    if (text.empty())
        return {};
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    const int wideLength = int(text.size());
    // A system set to UTF-8 as its ANSI code page maps every character and refuses a
    // replacement character: given one, the conversion fails and would write empty lines.
    const UINT codePage = GetACP();
    const char *unmapped = (codePage == CP_UTF8 || codePage == CP_UTF7) ? nullptr : "?";
    const int size =
        WideCharToMultiByte(codePage, 0, wide, wideLength, nullptr, 0, unmapped, nullptr);
    std::string bytes(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, wide, wideLength, bytes.data(), size, unmapped, nullptr);
    return bytes;
}

} // namespace quorlex
