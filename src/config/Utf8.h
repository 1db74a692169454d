#pragma once
// Small UTF-8 helpers for texts that arrive as bytes from files.
#include <cstddef>
#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The number of characters (code points); a stray byte counts as one.
std::size_t Utf8Length(std::string_view text);

// The first `maxChars` characters, never cutting a character in half.
std::string Utf8Truncate(std::string_view text, std::size_t maxChars);
