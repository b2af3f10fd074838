#include "windowfont.h"

#include "inflate.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace quorlex
{

namespace
{
bool g_fontAdded = false;
} // namespace

bool addWindowFont(HINSTANCE instance)
{
    const HRSRC resource = FindResourceW(instance, L"WINDOWFONT", MAKEINTRESOURCEW(10)); // RCDATA
    const HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const auto *packed =
        static_cast<const unsigned char *>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = resource ? SizeofResource(instance, resource) : 0;
    if (!packed || size < 4)
        return false;
    // The unpacked size, little-endian, then the DEFLATE data.
    uint32_t unpackedSize = 0;
    std::memcpy(&unpackedSize, packed, 4);
    std::vector<unsigned char> font;
    font.reserve(unpackedSize);
    if (!inflate(packed + 4, size - 4, font) || font.size() != unpackedSize)
        return false;
    DWORD faces = 0;
    // The system keeps its own copy of the font.
    g_fontAdded =
        AddFontMemResourceEx(font.data(), DWORD(font.size()), nullptr, &faces) && faces > 0;
    return g_fontAdded;
}

HFONT createWindowFont(UINT dpi)
{
    // Rounded down: the labels' boxes are just tall enough at 96 dpi, and a face rounded up
    // would cut off the descenders of "g" and "p".
    const int height = -(11 * int(dpi) / 96);
    const wchar_t *face = g_fontAdded ? L"PT Sans Narrow" : L"Segoe UI";
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}

} // namespace quorlex
