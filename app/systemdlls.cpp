// The tool runs from a game server's folder, and Windows looks in a program's own folder first
// for every DLL that is not one of its KnownDLLs. Game folders hold version.dll, winmm.dll,
// d3d9.dll and dxgi.dll proxies of mod loaders and overlays, and whatever lies there under such
// a name would run inside the tool. So the .exe imports at start only what Windows takes from
// System32 in any case (scripts/windows.sh checks the import table), and before any other code
// runs, static constructors included, every later load, by the tool or by Windows' own DLLs on
// its behalf (comctl32 for the controls, uxtheme for their look, imm32 for input methods), is
// limited to System32.

#include <windows.h>

namespace
{

// Priority 101, the first a program may use: it runs before the constructors without one.
__attribute__((constructor(101))) void loadDllsFromSystem32Only()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace
