// Start-up on Windows: the window, its load step, and the event loop until the window is closed.

#include "win32form.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    quorlex::Win32Form window(instance);
    if (!window.open(show))
        return 1;
    return window.run();
}
