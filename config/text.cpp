#include "text.h"

namespace quorlex
{

Text decimal(long long value)
{
    Text digits;
    unsigned long long rest = value < 0 ? 0ull - (unsigned long long)(value) : value;
    do {
        digits.insert(digits.begin(), char16_t(u'0' + rest % 10));
        rest /= 10;
    } while (rest != 0);
    if (value < 0)
        digits.insert(digits.begin(), u'-');
    return digits;
}

} // namespace quorlex
