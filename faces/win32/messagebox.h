#pragma once

// The tool's boxes: the messages, MessageBoxW with a title, a text, no icon and a single OK
// button; what Ctrl+C copies from a box; and the system's words for an error, which a box says.

#include "text.h"

#include <windows.h>

namespace quorlex
{

// Shows the box, modal to `owner`, and returns once it has been dismissed.
void showMessageBox(HWND owner, const Text &title, const Text &text);

// The system's own words for an error, without the line end that FormatMessageW puts after them.
// The file services keep their own in config/, which the faces do not reach into.
Text systemErrorText(DWORD error);

// While it lives, Ctrl+C in a modal box of this thread puts `text` on the clipboard. Windows'
// own boxes copy their texts at Ctrl+C; not every system that runs Windows programs does, so
// the tool does it itself, in the same form, before the box can.
class CopiedOnCtrlC
{
public:
    explicit CopiedOnCtrlC(Text text);
    ~CopiedOnCtrlC();
    CopiedOnCtrlC(const CopiedOnCtrlC &) = delete;
    CopiedOnCtrlC &operator=(const CopiedOnCtrlC &) = delete;

private:
    Text m_text;
    HHOOK m_hook;
};

} // namespace quorlex
