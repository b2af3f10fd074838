#include "windowfont.h"

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
    void *font = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = resource ? SizeofResource(instance, resource) : 0;
    DWORD faces = 0;
    // The .ttf itself, straight from the mapped .exe: the system keeps its own copy.
    g_fontAdded =
        font && size > 0 && AddFontMemResourceEx(font, size, nullptr, &faces) && faces > 0;
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
