#include "placement.h"

#include <algorithm>

namespace quorlex
{

namespace
{

// The new start of a span of `length` that starts at `start`, inside [low, high).
int keptStart(int start, int length, int low, int high)
{
    return length >= high - low ? low : std::clamp(start, low, high - length);
}

} // namespace

ScreenRect keptInside(const ScreenRect &window, const ScreenRect &workArea)
{
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int left = keptStart(window.left, width, workArea.left, workArea.right);
    const int top = keptStart(window.top, height, workArea.top, workArea.bottom);
    return {left, top, left + width, top + height};
}

} // namespace quorlex
