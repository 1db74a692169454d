#include "platform/linux/ResPages.h"

#include <glib.h>

#include <algorithm>
#include <utility>

#include "platform/linux/ResourceTable.h"

namespace {
constexpr const char* kPrefix = "/murmel/";

std::function<bool()>& PageDirection() {
    static std::function<bool()> rightToLeft;
    return rightToLeft;
}
}  // namespace

std::string ResourceUri(int id) {
    const std::string file = ResourceFile(id);
    return file.empty() ? std::string() : "res:///" + file;
}

std::string ResourcePathOfUri(const std::string& uri) {
    // The engine lower-cases the scheme but keeps path and fragment as written.
    if (uri.size() < 4 || g_ascii_strncasecmp(uri.c_str(), "res:", 4) != 0) return {};
    const auto hash = uri.find('#');
    if (hash != std::string::npos) {
        const std::string digits = uri.substr(hash + 1);
        if (!digits.empty() && digits.size() < 9 &&
            digits.find_first_not_of("0123456789") == std::string::npos) {
            const std::string file = ResourceFile(std::stoi(digits));
            return file.empty() ? std::string() : kPrefix + file;
        }
    }
    std::string path = uri.substr(4, std::min(hash, uri.find('?')) - 4);
    path.erase(0, path.find_first_not_of('/'));
    if (path.empty()) return {};
    gchar* unescaped = g_uri_unescape_string(path.c_str(), nullptr);
    if (!unescaped) return {};
    std::string result = kPrefix + std::string(unescaped);
    g_free(unescaped);
    return result;
}

void SetPageDirection(std::function<bool()> rightToLeft) {
    PageDirection() = std::move(rightToLeft);
}

bool PagesRightToLeft() {
    return PageDirection() && PageDirection()();
}

std::string WithRightToLeftRoot(const std::string& html) {
    std::string result = html;
    for (std::size_t at = result.find('<'); at != std::string::npos;
         at = result.find('<', at + 1)) {
        if (g_ascii_strncasecmp(result.c_str() + at, "<html", 5) == 0 &&
            (result[at + 5] == '>' || g_ascii_isspace(result[at + 5]))) {
            result.insert(at + 5, " dir=\"rtl\"");
            break;
        }
    }
    return result;
}
