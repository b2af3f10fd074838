#pragma once

// Writes a ConfigRecord as QUORLEX_CONFIG.txt into a folder. The earlier file is replaced only
// by a complete new one: on any failure it stays as it was and the caller is told why.

#include "configrecord.h"
#include "text.h"

#include <functional>

namespace quorlex
{

inline constexpr char16_t kConfigFileName[] = u"QUORLEX_CONFIG.txt";
inline constexpr char16_t kWarningTitle[] = u"Warning";

// What the writer needs from the one who runs it; it never shows anything itself.
struct WriterHooks {
    // Shows a modal box with `title` and `text` and returns once it has been dismissed.
    std::function<void(const Text &title, const Text &text)> warn;
    // Told that message `slot` now holds `text`, before that slot's line is written.
    std::function<void(int slot, const Text &text)> messageShortened;
};

struct WriteResult {
    bool ok = false;
    Text path;   // the file's path, in the platform's notation
    Text reason; // the system's reason, when !ok
};

// The folder, the platform's separator and the file name. The separator is added even when the
// folder already ends in one, which the module's documentation shows as a doubled separator.
Text configFilePath(const Text &folder);

// The warning text shown before message `slot` is shortened.
Text messageTooLongText(int slot);

// Writes the file; shortens over-long messages in `record`, warning once for each. Where the
// system refuses to replace a file that another program holds open (Windows), the replace is
// tried again for up to two seconds.
WriteResult writeConfigFile(ConfigRecord &record, const Text &folder, const WriterHooks &hooks);

} // namespace quorlex
