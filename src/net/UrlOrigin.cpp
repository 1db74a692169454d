#include "net/UrlOrigin.h"

#include <algorithm>
#include <cctype>

std::string OriginOf(const std::string& url) {
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos || schemeEnd == 0) return {};
    const auto hostStart = schemeEnd + 3;
    auto hostEnd = url.find_first_of("/?#", hostStart);
    if (hostEnd == std::string::npos) hostEnd = url.size();
    std::string authority = url.substr(hostStart, hostEnd - hostStart);
    // Credentials are not part of an origin.
    if (auto at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
    if (authority.empty()) return {};
    std::string origin = url.substr(0, hostStart) + authority;
    std::transform(origin.begin(), origin.end(), origin.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return origin;
}
