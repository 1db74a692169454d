#include "platform/linux/WebContext.h"

#include "platform/linux/ResScheme.h"

WebContext::WebContext(const std::string& dataDirectory) {
    WebKitWebsiteDataManager* data =
        dataDirectory.empty() ? webkit_website_data_manager_new_ephemeral()
                              : webkit_website_data_manager_new(
                                    "base-data-directory", dataDirectory.c_str(),
                                    "base-cache-directory", dataDirectory.c_str(), nullptr);
    m_context = webkit_web_context_new_with_website_data_manager(data);
    if (!dataDirectory.empty()) {
        gchar* file = g_build_filename(dataDirectory.c_str(), "cookies.sqlite", nullptr);
        webkit_cookie_manager_set_persistent_storage(
            webkit_web_context_get_cookie_manager(m_context), file,
            WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
        g_free(file);
    }
    g_object_unref(data);
    webkit_web_context_set_cache_model(m_context, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    RegisterResScheme(m_context);

    m_settings = webkit_settings_new();
    webkit_settings_set_hardware_acceleration_policy(m_settings,
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    webkit_settings_set_enable_developer_extras(m_settings, FALSE);
    webkit_settings_set_enable_back_forward_navigation_gestures(m_settings, FALSE);
    webkit_settings_set_javascript_can_open_windows_automatically(m_settings, FALSE);
}

WebKitWebView* WebContext::Anchor() {
    // Made with the first own page rather than with the context: starting
    // its web process takes a while, and what is made before the first
    // window (the tray item) need not wait for it.
    if (m_anchor) {
        // Its process, once ended, is started again for the page that needs
        // it and not at once: one that dies as it starts would otherwise be
        // started for ever, with no window left to give up on it.
        if (m_anchorLost) webkit_web_view_load_uri(m_anchor, "about:blank");
        m_anchorLost = false;
        return m_anchor;
    }
    // Own pages relate to this view, which no window holds, so the shared
    // process outlives any of their windows.
    m_anchor = WEBKIT_WEB_VIEW(g_object_ref_sink(g_object_new(
        WEBKIT_TYPE_WEB_VIEW, "web-context", m_context, "settings", m_settings, nullptr)));
    webkit_web_view_load_uri(m_anchor, "about:blank");
    g_signal_connect(
        m_anchor, "web-process-terminated",
        G_CALLBACK(+[](WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self) {
            static_cast<WebContext*>(self)->m_anchorLost = true;
        }),
        this);
    return m_anchor;
}

WebContext::~WebContext() {
    if (m_authority) g_object_unref(m_authority);
    if (m_anchor) {
        // Its handler refers to this context, which the view may outlive.
        g_signal_handlers_disconnect_by_data(m_anchor, this);
        gtk_widget_destroy(GTK_WIDGET(m_anchor));
        g_object_unref(m_anchor);
    }
    g_object_unref(m_settings);
    g_object_unref(m_context);
}

WebKitWebView* WebContext::NewView(WebKitUserContentManager* content, bool ownProcess) {
    WebKitWebView* related = ownProcess ? nullptr : Anchor();
    // A related view takes its context from the view it is related to.
    auto* view = WEBKIT_WEB_VIEW(
        related ? g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", related, "settings",
                               m_settings, "user-content-manager", content, nullptr)
                : g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", m_context, "settings",
                               m_settings, "user-content-manager", content, nullptr));
    return view;
}

bool WebContext::AllowCertificateFile(const std::string& pemFile, const std::string& host) {
    GTlsCertificate* certificate = g_tls_certificate_new_from_file(pemFile.c_str(), nullptr);
    if (!certificate) return false;
    webkit_web_context_allow_tls_certificate_for_host(m_context, certificate, host.c_str());
    g_object_unref(certificate);
    return true;
}

bool WebContext::TrustAuthorityFile(const std::string& pemFile) {
    GTlsCertificate* authority = g_tls_certificate_new_from_file(pemFile.c_str(), nullptr);
    if (!authority) return false;
    if (m_authority) g_object_unref(m_authority);
    m_authority = authority;
    return true;
}

bool WebContext::AcceptCertificate(GTlsCertificate* certificate, const std::string& address) {
    if (!m_authority || !certificate) return false;
    GUri* uri = g_uri_parse(address.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) return false;
    const std::string host = g_uri_get_host(uri) ? g_uri_get_host(uri) : "";
    g_uri_unref(uri);
    if (host.empty()) return false;
    GSocketConnectable* identity = g_network_address_new(host.c_str(), 0);
    const GTlsCertificateFlags flags = g_tls_certificate_verify(certificate, identity, m_authority);
    g_object_unref(identity);
    if (flags != 0) return false;
    webkit_web_context_allow_tls_certificate_for_host(m_context, certificate, host.c_str());
    return true;
}
