#pragma once
// JSON text from pages, made safe for JsonCpp's reader.
#include <string>
#include <string_view>

// The JSON text with every \u escape of a lone UTF-16 surrogate written as
// \ufffd. JsonCpp refuses a whole text for a lone high surrogate, reads a
// lone low one as bytes that are not UTF-8, and takes a high one followed
// by any other escape for a pair. Pages send such halves when they cut a
// text between the two units of a character.
std::string ReplaceLoneSurrogateEscapes(std::string_view json);
