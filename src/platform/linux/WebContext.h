#pragma once
// The web context every HTML window lives in: the res: scheme, the settings,
// and the view that own pages are related to, so they share its web process.
// Views not related to it get a web process each.
#include <webkit2/webkit2.h>

#include <string>

class WebContext {
public:
    // `dataDirectory` holds cookies and site data; empty keeps them in memory.
    explicit WebContext(const std::string& dataDirectory);
    ~WebContext();
    WebContext(const WebContext&) = delete;
    WebContext& operator=(const WebContext&) = delete;

    WebKitWebContext* Context() const { return m_context; }

    // A new view with its own user-content manager.
    WebKitWebView* NewView(WebKitUserContentManager* content, bool ownProcess);

    // Accepts the certificate in the PEM file for `host` (a site with a
    // certificate of its own making). False when the file holds none.
    bool AllowCertificateFile(const std::string& pemFile, const std::string& host);

    // Trusts the certificate authority in the PEM file as well as the
    // system's (development and tests only). False when the file holds none.
    bool TrustAuthorityFile(const std::string& pemFile);
    // Accepts `certificate` for the host of `address` when that authority
    // signed it for that host; false otherwise.
    bool AcceptCertificate(GTlsCertificate* certificate, const std::string& address);

private:
    WebKitWebView* Anchor();

    WebKitWebContext* m_context = nullptr;
    WebKitSettings* m_settings = nullptr;
    WebKitWebView* m_anchor = nullptr;  // holds the own pages' shared process
    bool m_anchorLost = false;          // its process ended since it last loaded
    GTlsCertificate* m_authority = nullptr;
};
