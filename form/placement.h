#pragma once

// Where the window goes on its monitor, in the monitor's pixels.

namespace quorlex
{

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ScreenRect &other) const
    {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

// The window moved, not resized, so that it lies inside the work area (the monitor without its
// task bars): never under a task bar, never past an edge. A window larger than the work area
// in one direction starts at the work area's left or top edge, so that its title bar and its
// first controls can be seen.
ScreenRect keptInside(const ScreenRect &window, const ScreenRect &workArea);

} // namespace quorlex
