#pragma once
// Percent-encoding of query values and form fields.
#include <string>

// Every byte of the UTF-8 text except letters, digits and ' ( ) * - . _
// becomes "%" and two upper-case hex digits; a blank is "%20", never "+".
std::string UrlEncode(const std::string& text);
