#pragma once

// The tool's one kind of message: MessageBoxW with a title, a text, no icon and a single OK
// button, whose text Ctrl+C copies.

#include "text.h"

#include <windows.h>

namespace quorlex
{

// Shows the box, modal to `owner`, and returns once it has been dismissed.
void showMessageBox(HWND owner, const Text &title, const Text &text);

} // namespace quorlex
