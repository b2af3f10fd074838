#pragma once

// Writes a ConfigRecord as QUORLEX_CONFIG.txt into a folder. The earlier file is replaced only
// by a complete new one: on any failure it stays as it was and the caller is told why.

#include "configrecord.h"

#include <QString>

#include <functional>

namespace quorlex
{

inline constexpr char kConfigFileName[] = "QUORLEX_CONFIG.txt";

// What the writer needs from the one who runs it; it never shows anything itself.
struct WriterHooks {
    // Shows a modal box with `title` and `text` and returns once it has been dismissed.
    std::function<void(const QString &title, const QString &text)> warn;
    // Told that message `slot` now holds `text`, before that slot's line is written.
    std::function<void(int slot, const QString &text)> messageShortened;
};

struct WriteResult {
    bool ok = false;
    QString path;   // the file's path, in the platform's notation
    QString reason; // the system's reason, when !ok
};

// The folder, the platform's separator and the file name. The separator is added even when the
// folder already ends in one, which the module's documentation shows as a doubled separator.
QString configFilePath(const QString &folder);

// The warning text shown before message `slot` is shortened.
QString messageTooLongText(int slot);

// Writes the file; shortens over-long messages in `record`, warning once for each. Where the
// system refuses to replace a file that another program holds open (Windows), the replace is
// tried again for up to two seconds.
WriteResult writeConfigFile(ConfigRecord &record, const QString &folder, const WriterHooks &hooks);

} // namespace quorlex
