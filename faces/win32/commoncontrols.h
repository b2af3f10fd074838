#pragma once

// comctl32 6, for the controls' visual styles, tool tips and task dialogs.

#include <windows.h>

namespace quorlex
{

// Loads and initialises it once; null when it cannot be loaded.
HMODULE commonControls();

} // namespace quorlex
