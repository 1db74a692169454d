#pragma once
// UTF-8 text taken from outside the program.
#include <string>
#include <string_view>

// The bytes as valid UTF-8: each ill-formed sequence (a stray or missing
// continuation byte, an overlong form, a surrogate, a code point above
// U+10FFFF) becomes U+FFFD.
std::string ReplaceInvalidUtf8(std::string_view bytes);
