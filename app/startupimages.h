#pragma once

// The images the window shows from its first paint on, read with Qt's built-in PNG reader.

#include <QIcon>

namespace quorlex
{

// The tool's icon, the packaged SVG rendered at 16, 32, 48 and 64 pixels.
QIcon windowIcon();

} // namespace quorlex
