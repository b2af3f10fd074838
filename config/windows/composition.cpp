#include "platform.h"

#include <windows.h>

namespace quorlex
{

namespace
{

using NormalizeStringFunction = int(WINAPI *)(NORM_FORM, LPCWSTR, int, LPWSTR, int);

// NormalizeString lives in kernel32, which every process has loaded from System32 before its
// first instruction, so it cannot come from the program's folder. Older systems keep it only
// in normaliz.dll, taken from System32 by name.
NormalizeStringFunction normalizeString()
{
    static const NormalizeStringFunction function = [] {
        FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "NormalizeString");
        if (!found) {
            if (HMODULE normaliz =
                    LoadLibraryExW(L"normaliz.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
                found = GetProcAddress(normaliz, "NormalizeString");
        }
        return reinterpret_cast<NormalizeStringFunction>(reinterpret_cast<void *>(found));
    }();
    return function;
}

} // namespace

Text composedNfc(TextView text)
{
    const NormalizeStringFunction normalize = normalizeString();
    if (text.empty() || !normalize)
        return Text(text);
    const auto *source = reinterpret_cast<const wchar_t *>(text.data());
    const int length = int(text.size());
    // The first answer is an estimate; a second try with the size it then asks for always fits.
    int size = normalize(NormalizationC, source, length, nullptr, 0);
    for (int attempt = 0; attempt < 3 && size > 0; ++attempt) {
        Text composed(size_t(size), u'\0');
        size = normalize(NormalizationC, source, length,
                         reinterpret_cast<wchar_t *>(composed.data()), size);
        if (size > 0) {
            composed.resize(size_t(size));
            return composed;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        size = -size;
    }
    // Text that cannot be normalised (an unpaired surrogate) is written as it stands.
    return Text(text);
}

} // namespace quorlex
