#include "platform.h"

#include <QCoreApplication>

namespace quorlex
{

const char16_t kPathSeparator = u'/';

Text programFolder()
{
    return QCoreApplication::applicationDirPath().toStdU16String();
}

} // namespace quorlex
