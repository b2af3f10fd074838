#pragma once

// The box at start when the program's folder takes no new file, with the remedy Windows offers:
// starting the tool again as administrator.

#include "platform.h"

#include <windows.h>

namespace quorlex
{

// Says that `folder` takes no new file, why, and what to do. Where more rights may mend it (access
// denied, and the tool not running as administrator yet), it offers to start the tool again as
// administrator. Returns true when a new instance has started, and this one is to end.
bool showFolderRefusalBox(HWND owner, const Text &folder, const FolderAccess &access);

// Starts `program`, the tool's own file, again as administrator through User Account Control's
// prompt. True once the new instance has started; declined at the prompt, false and nothing else;
// refused by the system, false after a box with the system's reason.
bool restartAsAdministrator(HWND owner, const Text &program);

} // namespace quorlex
