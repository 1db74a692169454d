#pragma once
// Which origins are the web-client site's: the one of its address and, when
// that address is plain http, the https origin of the same host name that
// the site itself redirected a top-level page to.
#include <string>

class SiteOrigin {
public:
    // The site's address; forgets an upgrade seen for an earlier one.
    void SetAddress(const std::string& address);
    // A top-level load was redirected from `from` to `to`.
    void NoteRedirect(const std::string& from, const std::string& to);
    // The program's own pages (res:) and the site's origins.
    bool Trusts(const std::string& href) const;

private:
    std::string m_origin;
    std::string m_upgraded;
};
