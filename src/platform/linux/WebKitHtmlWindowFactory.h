#pragma once
// Makes the program's HTML windows, all in one web context.
#include <memory>
#include <string>

#include "platform/HtmlWindow.h"
#include "platform/linux/SiteOrigin.h"
#include "platform/linux/WebContext.h"

class WebKitHtmlWindowFactory : public IHtmlWindowFactory {
public:
    // `dataDirectory` keeps cookies and site data; empty keeps them in memory.
    explicit WebKitHtmlWindowFactory(const std::string& dataDirectory);

    std::unique_ptr<IHtmlWindow> Create(const HtmlWindowDescription& spec,
                                        IHtmlWindowEvents* events) override;

    // Pages of the site at this address may call window.external,
    // besides the program's own pages. Applies to windows made before too.
    void SetTrustedOrigin(const std::string& origin) override;

    WebContext& Context() { return m_context; }

private:
    WebContext m_context;
    std::shared_ptr<SiteOrigin> m_site;
};
