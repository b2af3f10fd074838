#pragma once

// Access levels of the administrator commands and the command catalogue that names them.

#include "text.h"

#include <array>
#include <vector>

namespace quorlex
{

enum class AccessLevel { Disabled, Low, Intermediate, Full };

inline constexpr int kAccessLevelCount = 4;

// Level names in button order, left to right: Disabled, Low, Intermediate, Full.
extern const std::array<const char16_t *, kAccessLevelCount> kAccessLevelNames;

// The digit written after "=" for a level; Disabled commands get no line and have no digit.
char16_t accessLevelDigit(AccessLevel level);

// The window has room for this many command rows; the catalogue fills the first of them.
inline constexpr int kCommandRowCapacity = 60;

// The module's administrator commands, in row order, as one comma-separated text.
extern const char16_t kCommandCatalogue[];

// The catalogue split at its commas, at most kCommandRowCapacity names.
const std::vector<Text> &commandNames();

} // namespace quorlex
