#pragma once
// The origin of an address: scheme, host and port, as a browser compares
// them ("https://web.example:8443"). Empty when the address has none.
#include <string>

std::string OriginOf(const std::string& url);
