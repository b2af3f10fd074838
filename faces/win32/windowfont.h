#pragma once

// The window's font, PT Sans Narrow, compiled into the .exe as it is (resource "WINDOWFONT"):
// the layout's 13-pixel rows and 65-pixel command labels were drawn for a small, narrow face,
// and Windows has none it can be sure of.

#include <windows.h>

namespace quorlex
{

// Makes the font available to this process alone. Returns false when it could not be, and the
// window then falls back to Segoe UI, the face of Windows' own dialogs.
bool addWindowFont(HINSTANCE instance);

// The window's font at 11 pixels for 96 dpi, scaled to `dpi`.
HFONT createWindowFont(UINT dpi);

} // namespace quorlex
