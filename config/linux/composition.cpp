#include "platform.h"

#include <QString>

namespace quorlex
{

// Copied as it stands: QString::fromUtf16() would take a leading U+FEFF for a byte order mark and
// drop it, so that text would lose a character in the file alone.
Text composedNfc(TextView text)
{
    return QStringView(text).toString().normalized(QString::NormalizationForm_C).toStdU16String();
}

} // namespace quorlex
