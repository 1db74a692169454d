#include "platform/linux/WebKitHtmlWindowFactory.h"

#include "platform/linux/WebKitHtmlWindow.h"

WebKitHtmlWindowFactory::WebKitHtmlWindowFactory(const std::string& dataDirectory)
    : m_context(dataDirectory), m_site(std::make_shared<SiteOrigin>()) {}

std::unique_ptr<IHtmlWindow> WebKitHtmlWindowFactory::Create(const HtmlWindowDescription& spec,
                                                             IHtmlWindowEvents* events) {
    return std::make_unique<WebKitHtmlWindow>(m_context, spec, events, m_site);
}

void WebKitHtmlWindowFactory::SetTrustedOrigin(const std::string& origin) {
    m_site->SetAddress(origin);
}
