#pragma once

// The images the window shows from its first paint on, read with Qt's built-in PNG reader.

#include <QIcon>

namespace quorlex
{

// The tool's icon: the packaged SVG rendered at 16, 32, 64 and 128 pixels, the sizes that an
// X11 window is given.
QIcon windowIcon();

// Puts the picture that the Fusion style draws every group box frame from into the pixmap
// cache, where the style's own QPixmap(path) then finds it.
void cacheGroupBoxFrame();

} // namespace quorlex
