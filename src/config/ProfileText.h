#pragma once
// Looking up one value in the text of an ini file, the way the desktop's
// profile reader does: section and key names compare without regard to
// ASCII case, the first match wins, values are trimmed and lose one pair of
// enclosing quotes, and lines of any length are read whole.
#include <cstddef>
#include <string>
#include <string_view>

// Values are cut to this many characters.
inline constexpr std::size_t kMaxProfileValueChars = 1023;

// The value of `key` in `[section]`; empty when either is missing.
std::string ProfileValue(std::string_view fileText, std::string_view section, std::string_view key);
