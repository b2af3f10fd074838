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

} // namespace quorlex
