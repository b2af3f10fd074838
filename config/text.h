#pragma once

// Text as the window holds it: UTF-16, the form in which both Qt and Windows keep it, so that it
// passes between the window and the configuration core without conversion.

#include <string>
#include <string_view>

namespace quorlex
{

using Text = std::u16string;
using TextView = std::u16string_view;

// A number in decimal digits, with a minus sign when negative.
Text decimal(long long value);

#ifdef _WIN32
// The text as Windows' W functions take it, in the same UTF-16. A literal is passed as it stands,
// so that no temporary copy's characters are handed on to outlive it.
inline const wchar_t *wide(const Text &text)
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}
inline const wchar_t *wide(const char16_t *text)
{
    return reinterpret_cast<const wchar_t *>(text);
}
#endif

} // namespace quorlex
