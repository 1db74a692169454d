#pragma once
// An HTTP and HTTPS server on 127.0.0.1 for tests, running its own GLib main
// context on a thread of its own. It records every request and answers each
// path with the reply the test set for it (200 and an empty body otherwise).
#include <gio/gio.h>
#include <libsoup/soup.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct SeenRequest {
    std::string method, path, query, body;
    std::multimap<std::string, std::string> headers;  // names in lower case
    std::string Header(const std::string& name) const {
        auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
};

struct Reply {
    unsigned status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

class LoopbackHttpServer {
public:
    // With certificate and key files the server also listens for HTTPS.
    explicit LoopbackHttpServer(const std::string& certFile = {}, const std::string& keyFile = {}) {
        m_thread = std::thread([this, certFile, keyFile] { Run(certFile, keyFile); });
        std::unique_lock<std::mutex> guard(m_lock);
        m_ready.wait(guard, [this] { return m_started; });
        if (!m_error.empty()) {
            guard.unlock();
            m_thread.join();
            throw std::runtime_error(m_error);
        }
    }

    ~LoopbackHttpServer() {
        g_main_loop_quit(m_loop);
        m_thread.join();
    }

    std::string HttpBase() const { return "http://127.0.0.1:" + std::to_string(m_httpPort); }
    std::string HttpsBase() const { return "https://127.0.0.1:" + std::to_string(m_httpsPort); }

    void SetReply(const std::string& path, unsigned status, std::string body,
                  std::vector<std::pair<std::string, std::string>> headers = {}) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_replies[path] = Reply{status, std::move(body), std::move(headers)};
    }

    std::vector<SeenRequest> Requests() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_requests;
    }

    SeenRequest LastRequest() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_requests.empty() ? SeenRequest{} : m_requests.back();
    }

private:
    static void Handle(SoupServer*, SoupServerMessage* msg, const char* path, GHashTable*,
                       gpointer data) {
        auto* self = static_cast<LoopbackHttpServer*>(data);
        SeenRequest seen;
        seen.method = soup_server_message_get_method(msg);
        seen.path = path;
        if (const char* query = g_uri_get_query(soup_server_message_get_uri(msg)))
            seen.query = query;
        SoupMessageBody* body = soup_server_message_get_request_body(msg);
        if (body && body->data) seen.body.assign(body->data, body->length);
        soup_message_headers_foreach(
            soup_server_message_get_request_headers(msg),
            [](const char* name, const char* value, gpointer out) {
                std::string lower = name;
                std::transform(lower.begin(), lower.end(), lower.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                static_cast<SeenRequest*>(out)->headers.emplace(lower, value);
            },
            &seen);

        Reply reply;
        {
            std::lock_guard<std::mutex> guard(self->m_lock);
            self->m_requests.push_back(std::move(seen));
            auto it = self->m_replies.find(path);
            if (it != self->m_replies.end()) reply = it->second;
        }
        SoupMessageHeaders* out = soup_server_message_get_response_headers(msg);
        for (const auto& [name, value] : reply.headers)
            soup_message_headers_append(out, name.c_str(), value.c_str());
        soup_server_message_set_status(msg, reply.status, nullptr);
        soup_server_message_set_response(msg, "text/plain; charset=utf-8", SOUP_MEMORY_COPY,
                                         reply.body.data(), reply.body.size());
    }

    static int PortOf(SoupServer* server, const char* scheme) {
        int port = 0;
        GSList* uris = soup_server_get_uris(server);
        for (GSList* u = uris; u; u = u->next) {
            auto* uri = static_cast<GUri*>(u->data);
            if (g_strcmp0(g_uri_get_scheme(uri), scheme) == 0) port = g_uri_get_port(uri);
        }
        g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
        return port;
    }

    void Run(const std::string& certFile, const std::string& keyFile) {
        m_context = g_main_context_new();
        g_main_context_push_thread_default(m_context);
        m_loop = g_main_loop_new(m_context, FALSE);
        GError* error = nullptr;
        GTlsCertificate* certificate = nullptr;
        if (!certFile.empty())
            certificate =
                g_tls_certificate_new_from_files(certFile.c_str(), keyFile.c_str(), &error);
        SoupServer* server = certificate ? soup_server_new("tls-certificate", certificate, nullptr)
                                         : soup_server_new(nullptr, nullptr);
        soup_server_add_handler(server, nullptr, Handle, this, nullptr);
        const auto ipv4 = SOUP_SERVER_LISTEN_IPV4_ONLY;
        if (!error) soup_server_listen_local(server, 0, ipv4, &error);
        if (!error && certificate)
            soup_server_listen_local(
                server, 0, static_cast<SoupServerListenOptions>(ipv4 | SOUP_SERVER_LISTEN_HTTPS),
                &error);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (error) m_error = error->message;
            m_httpPort = PortOf(server, "http");
            m_httpsPort = PortOf(server, "https");
            m_started = true;
        }
        m_ready.notify_all();
        if (!error) g_main_loop_run(m_loop);
        g_clear_error(&error);
        soup_server_disconnect(server);
        g_object_unref(server);
        if (certificate) g_object_unref(certificate);
        g_main_loop_unref(m_loop);
        g_main_context_pop_thread_default(m_context);
        g_main_context_unref(m_context);
    }

    std::mutex m_lock;
    std::condition_variable m_ready;
    bool m_started = false;
    std::string m_error;
    GMainContext* m_context = nullptr;
    GMainLoop* m_loop = nullptr;
    int m_httpPort = 0, m_httpsPort = 0;
    std::map<std::string, Reply> m_replies;
    std::vector<SeenRequest> m_requests;
    std::thread m_thread;
};
