#include "commoncontrols.h"

#include <commctrl.h>

namespace quorlex
{

// The manifest asks for comctl32 6 side by side. It is loaded here, once loading is limited to
// System32 (app/systemdlls.cpp), and not imported, so that no comctl32.dll beside the program is
// ever looked at.
HMODULE commonControls()
{
    static const HMODULE module = [] {
        const HMODULE loaded =
            LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        using Init = BOOL(WINAPI *)(const INITCOMMONCONTROLSEX *);
        const auto init = reinterpret_cast<Init>(reinterpret_cast<void *>(
            loaded ? GetProcAddress(loaded, "InitCommonControlsEx") : nullptr));
        const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                           ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        if (init)
            init(&classes);
        return loaded;
    }();
    return module;
}

} // namespace quorlex
