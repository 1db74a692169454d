#include "Server.h"

#include <glib/gstdio.h>

#include <fstream>
#include <sstream>

#include "HttpUtil.h"

namespace svc {
namespace {

struct Held {
    Server* server;
    SoupServerMessage* msg;
    std::function<bool()> then;
};

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return true;
}

}  // namespace

std::string SchemeOf(SoupServerMessage* msg) {
    GUri* uri = soup_server_message_get_uri(msg);
    return uri && g_uri_get_scheme(uri) ? g_uri_get_scheme(uri) : "http";
}

Server::Server(Options options) : m_options(std::move(options)) {}

Server::~Server() {
    if (m_server) {
        soup_server_disconnect(m_server);
        g_object_unref(m_server);
    }
}

bool Server::Start(std::string& error) {
    if (!m_options.scenarioFile.empty()) {
        std::string text;
        Json::Value doc;
        if (!ReadFile(m_options.scenarioFile, text)) {
            error = "cannot read scenario " + m_options.scenarioFile;
            return false;
        }
        if (!ParseJson(text, doc, error) || !m_scenario.Replace(doc, error)) {
            error = m_options.scenarioFile + ": " + error;
            return false;
        }
    }
    if (g_mkdir_with_parents(m_options.stateDir.c_str(), 0700) != 0) {
        error = "cannot create " + m_options.stateDir;
        return false;
    }
    if (!EnsureCertificates(m_options.stateDir + "/certs", m_certs, error)) return false;
    GTlsCertificate* cert = LoadServerCertificate(m_certs, error);
    if (!cert) return false;
    m_log = std::make_unique<RequestLog>(m_options.stateDir + "/requests.jsonl");

    m_server =
        soup_server_new("tls-certificate", cert, "server-header", "murmel-service/1.0", nullptr);
    g_object_unref(cert);
    soup_server_add_early_handler(m_server, nullptr, &Server::OnEarly, this, nullptr);
    soup_server_add_handler(m_server, nullptr, &Server::OnRequest, this, nullptr);
    g_signal_connect(m_server, "request-aborted", G_CALLBACK(&Server::OnAborted), this);

    struct Listener {
        int port;
        SoupServerListenOptions flags;
    };
    for (Listener l : {Listener{m_options.httpPort, SoupServerListenOptions(0)},
                       Listener{m_options.httpsPort, SOUP_SERVER_LISTEN_HTTPS}}) {
        GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
        GSocketAddress* address = g_inet_socket_address_new(loopback, guint16(l.port));
        GError* gerror = nullptr;
        bool ok = soup_server_listen(m_server, address, l.flags, &gerror);
        g_object_unref(address);
        g_object_unref(loopback);
        if (!ok) {
            error = std::string("cannot listen on 127.0.0.1:") + std::to_string(l.port) + ": " +
                    gerror->message;
            g_error_free(gerror);
            return false;
        }
    }
    GSList* uris = soup_server_get_uris(m_server);
    for (GSList* u = uris; u; u = u->next) {
        auto* uri = static_cast<GUri*>(u->data);
        (std::string(g_uri_get_scheme(uri)) == "https" ? m_httpsPort : m_httpPort) =
            g_uri_get_port(uri);
    }
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    ScenarioChanged();
    return WritePortFile(error);
}

bool Server::WritePortFile(std::string& error) const {
    if (m_options.portFile.empty()) return true;
    Json::Value ports;
    ports["http"] = m_httpPort;
    ports["https"] = m_httpsPort;
    ports["httpBase"] = "http://127.0.0.1:" + std::to_string(m_httpPort);
    ports["httpsBase"] = "https://127.0.0.1:" + std::to_string(m_httpsPort);
    ports["caFile"] = m_certs.caFile;
    ports["log"] = m_options.stateDir + "/requests.jsonl";
    ports["pid"] = static_cast<Json::Int64>(getpid());
    std::string text = ToJson(ports) + "\n";
    GError* gerror = nullptr;
    if (g_file_set_contents(m_options.portFile.c_str(), text.c_str(), -1, &gerror)) return true;
    error = gerror->message;
    g_error_free(gerror);
    return false;
}

void Server::ScenarioChanged() {
    m_hub.ConfigureBot(m_scenario.Section("bot"));
}

std::string Server::ReadPage(const std::string& name) const {
    std::string text;
    ReadFile(m_options.wwwDir + "/" + name, text);
    return text;
}

void Server::OnEarly(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*,
                     gpointer self) {
    // Refuse large or unbounded bodies before they are read.
    SoupMessageHeaders* headers = soup_server_message_get_request_headers(msg);
    if (soup_message_headers_get_encoding(headers) == SOUP_ENCODING_CHUNKED) {
        RespondError(msg, SOUP_STATUS_LENGTH_REQUIRED, "request bodies need a Content-Length");
    } else if (soup_message_headers_get_content_length(headers) > kMaxRequestBody) {
        RespondError(msg, SOUP_STATUS_REQUEST_ENTITY_TOO_LARGE, "request body too large");
    } else {
        return;
    }
    // The answer goes out once the body has been read; keep none of it.
    soup_message_body_set_accumulate(soup_server_message_get_request_body(msg), FALSE);
    auto* server = static_cast<Server*>(self);
    if (!g_str_has_prefix(path, "/_control/"))
        server->Log().Record(msg, SchemeOf(msg), LoggedStatus(msg));
}

void Server::OnRequest(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*,
                       gpointer self) {
    auto* server = static_cast<Server*>(self);
    std::string route = path ? path : "/";
    bool control = route.rfind("/_control/", 0) == 0 || route == "/_control";
    if (control)
        HandleControl(*server, msg, route);
    else
        HandleSite(*server, msg, route);
    if (!control) server->Log().Record(msg, SchemeOf(msg), LoggedStatus(msg));
}

void Server::OnAborted(SoupServer*, SoupServerMessage* msg, gpointer self) {
    auto* server = static_cast<Server*>(self);
    server->m_held.erase(msg);
    server->m_hub.Forget(msg);
}

void Server::Later(SoupServerMessage* msg, guint ms, std::function<bool()> then) {
    soup_server_message_pause(msg);
    g_object_ref(msg);
    m_held.insert(msg);
    auto* held = new Held{this, msg, std::move(then)};
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, ms,
        [](gpointer data) -> gboolean {
            auto* h = static_cast<Held*>(data);
            if (h->server->m_held.erase(h->msg) && h->then()) soup_server_message_unpause(h->msg);
            return G_SOURCE_REMOVE;
        },
        held,
        [](gpointer data) {
            auto* h = static_cast<Held*>(data);
            g_object_unref(h->msg);
            delete h;
        });
}

void Server::Hold(SoupServerMessage* msg) {
    soup_server_message_pause(msg);
}

void Server::MarkClosed(SoupServerMessage* msg) {
    g_object_set_data(G_OBJECT(msg), "murmel-closed", GINT_TO_POINTER(1));
}

int Server::LoggedStatus(SoupServerMessage* msg) {
    if (g_object_get_data(G_OBJECT(msg), "murmel-closed")) return 0;
    return static_cast<int>(soup_server_message_get_status(msg));
}

void Server::CloseConnection(SoupServerMessage* msg) {
    GIOStream* stream = soup_server_message_steal_connection(msg);
    if (!stream) return;
    g_io_stream_close(stream, nullptr, nullptr);
    g_object_unref(stream);
}

}  // namespace svc
