#include "platform/linux/WebKitHtmlWindowFactory.h"

#include "platform/linux/WebKitHtmlWindow.h"

WebKitHtmlWindowFactory::WebKitHtmlWindowFactory(const std::string& dataDirectory)
    : m_context(dataDirectory), m_trustedOrigin(std::make_shared<std::string>()) {}

std::unique_ptr<IHtmlWindow> WebKitHtmlWindowFactory::Create(const HtmlWindowSpec& spec,
                                                             IHtmlWindowEvents* events) {
    return std::make_unique<WebKitHtmlWindow>(m_context, spec, events, m_trustedOrigin);
}

void WebKitHtmlWindowFactory::SetTrustedOrigin(const std::string& origin) {
    *m_trustedOrigin = origin;
}
