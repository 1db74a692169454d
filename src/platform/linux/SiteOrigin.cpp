#include "platform/linux/SiteOrigin.h"

#include <glib.h>

#include "platform/linux/BridgeMessage.h"

namespace {
// The lower-cased host name of an address; empty when it has none.
std::string HostOf(const std::string& address) {
    GUri* uri = g_uri_parse(address.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) return {};
    const char* host = g_uri_get_host(uri);
    gchar* low = host ? g_ascii_strdown(host, -1) : nullptr;
    std::string text = low ? low : "";
    g_free(low);
    g_uri_unref(uri);
    return text;
}
}  // namespace

void SiteOrigin::SetAddress(const std::string& address) {
    m_origin = OriginOf(address);
    m_upgraded.clear();
}

void SiteOrigin::NoteRedirect(const std::string& from, const std::string& to) {
    // Only the step from the site's own http origin to https on the same
    // host name: a redirect elsewhere hands the page to another site.
    if (m_origin.rfind("http://", 0) != 0 || OriginOf(from) != m_origin) return;
    const std::string target = OriginOf(to);
    if (target.rfind("https://", 0) != 0 || HostOf(to) != HostOf(m_origin)) return;
    m_upgraded = target;
}

bool SiteOrigin::Trusts(const std::string& href) const {
    if (IsTrustedSource(href, m_origin)) return true;
    return !m_upgraded.empty() && OriginOf(href) == m_upgraded;
}
