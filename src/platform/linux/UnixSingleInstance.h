#pragma once
// One instance per user: an exclusive flock on "Murmel Alarm once.lock" in
// the user's runtime directory, held for the life of the process (the kernel
// drops it when the process dies, also on a crash), and a Unix stream socket
// beside it on which the running instance hears activation requests and
// answers each one. A later start waits a bounded time for that answer.
#include <glib.h>
#include <sys/un.h>

#include <functional>
#include <set>
#include <string>

#include "platform/SingleInstance.h"

class UnixSingleInstance : public ISingleInstance {
public:
    // directory: where lock and socket live; empty for the user's runtime
    // directory.
    explicit UnixSingleInstance(std::string directory = {});
    ~UnixSingleInstance() override;
    UnixSingleInstance(const UnixSingleInstance&) = delete;
    UnixSingleInstance& operator=(const UnixSingleInstance&) = delete;

    bool AcquireOrActivate() override;
    void OnActivation(std::function<void()> handler) override;

    std::string LockPath() const { return m_directory + "/Murmel Alarm once.lock"; }
    static constexpr const char* kSocketName = "Murmel Alarm once.sock";
    std::string SocketPath() const { return m_directory + "/" + kSocketName; }

private:
    struct Client;
    // Retry: nobody took the request, the lock may be free again.
    // HungUp: the instance closed without an answer; it is on its way out.
    // Unanswered: the deadline passed first.
    enum class HandOver { Done, Retry, HungUp, Unanswered, GiveUp };
    void Listen();
    HandOver SendActivation(gint64 deadline);
    static HandOver Converse(int fd, const sockaddr_un& address, gint64 deadline);
    void Activated();
    void Drop(Client* client);
    static gboolean OnIncoming(gint fd, GIOCondition condition, gpointer self);
    static gboolean OnClientData(gint fd, GIOCondition condition, gpointer client);
    static gboolean DeliverPending(gpointer self);

    std::string m_directory;
    int m_lockFd = -1;
    int m_listenFd = -1;
    guint m_listenSource = 0;
    guint m_pendingSource = 0;
    unsigned m_pending = 0;  // requests that came before a handler was set
    std::function<void()> m_handler;
    std::set<Client*> m_clients;
};
