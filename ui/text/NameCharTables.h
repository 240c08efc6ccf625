#pragma once
// The characters a name on the card may hold, as the dictionary's player shows them. The arrays are
// generated from the JIS X 0208 mapping by scripts/gen-name-tables.py into NameCharTables.cpp;
// regenerate them there instead of editing the numbers.

#include <cstdint>

namespace NameChars {

// Every allowed UTF-16 code unit, strictly ascending.
inline constexpr int kAllowedCount = 7044;
extern const char16_t kAllowed[kAllowedCount];

// One start position in kAllowed per block of 4096 code points (code unit >> 12): the position of
// the block's first member, or -1 for a block without members.
inline constexpr int kBlockShift = 12;
inline constexpr int kBlockCount = 16;
extern const int32_t kBlockStart[kBlockCount];

// The JIS characters whose Shift_JIS code starts with 0xE5, ascending: the player cannot show them
// as the first character of a name.
inline constexpr int kFirstExcludedCount = 188;
extern const char16_t kFirstExcluded[kFirstExcludedCount];

} // namespace NameChars
