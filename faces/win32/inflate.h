#pragma once

// Unpacks raw DEFLATE data (RFC 1951), as Python's zlib packs the window's font at build time:
// the .exe carries the font in half its size and unpacks it once at start-up.

#include <cstddef>
#include <vector>

namespace quorlex
{

// Appends the unpacked data to `out`. Returns false when `in` is not complete DEFLATE data.
bool inflate(const unsigned char *in, size_t size, std::vector<unsigned char> &out);

} // namespace quorlex
