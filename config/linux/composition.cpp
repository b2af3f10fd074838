#include "platform.h"

#include <QString>

namespace quorlex
{

Text composedNfc(TextView text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size()))
        .normalized(QString::NormalizationForm_C)
        .toStdU16String();
}

} // namespace quorlex
