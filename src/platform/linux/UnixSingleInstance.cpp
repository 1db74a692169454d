#include "platform/linux/UnixSingleInstance.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr char kRequest[] = "activate\n";
constexpr size_t kMaxRequest = 64;
// A start that finds the lock taken tries this often, this far apart, to
// reach the running instance.
constexpr int kConnectAttempts = 40;
constexpr gulong kConnectPauseUs = 50 * 1000;

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool SameUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof(peer);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == getuid();
}

}  // namespace

struct UnixSingleInstance::Client {
    UnixSingleInstance* owner;
    int fd;
    guint source = 0;
    std::string received;
};

UnixSingleInstance::UnixSingleInstance(std::string directory)
    : m_directory(directory.empty() ? g_get_user_runtime_dir() : std::move(directory)) {}

UnixSingleInstance::~UnixSingleInstance() {
    while (!m_clients.empty()) {
        Client* client = *m_clients.begin();
        g_source_remove(client->source);
        Drop(client);
    }
    if (m_pendingSource) g_source_remove(m_pendingSource);
    if (m_listenSource) g_source_remove(m_listenSource);
    if (m_listenFd >= 0) {
        close(m_listenFd);
        unlink(SocketPath().c_str());
    }
    // The lock file itself stays: removing it would let a start that opened
    // it a moment ago lock a file that no longer has a name.
    if (m_lockFd >= 0) close(m_lockFd);
}

bool UnixSingleInstance::AcquireOrActivate() {
    if (m_lockFd >= 0) return true;
    g_mkdir_with_parents(m_directory.c_str(), 0700);
    int fd = open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // Without a lock file there is no way to tell; running beats never
    // starting.
    if (fd < 0) return true;
    // The running instance may have taken the lock a moment ago and not
    // listen yet, or be on its way out; the lock decides either way.
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        int locked;
        while ((locked = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        if (locked == 0) {
            m_lockFd = fd;
            Listen();
            return true;
        }
        if (errno != EWOULDBLOCK) {
            close(fd);
            return true;
        }
        if (SendActivation()) break;
        g_usleep(kConnectPauseUs);
    }
    close(fd);
    return false;
}

void UnixSingleInstance::Listen() {
    sockaddr_un address;
    std::string path = SocketPath();
    // A directory too deep for a socket address: the lock still keeps other
    // starts out, they just cannot ask this one to come forward.
    if (!MakeAddress(path, address)) return;
    // Only the holder of the lock gets here, so a socket file that exists is
    // left over from an instance that died.
    unlink(path.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        chmod(path.c_str(), 0600) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return;
    }
    m_listenFd = fd;
    m_listenSource = g_unix_fd_add(fd, G_IO_IN, OnIncoming, this);
}

bool UnixSingleInstance::SendActivation() {
    sockaddr_un address;
    if (!MakeAddress(SocketPath(), address)) return true;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        int error = errno;
        close(fd);
        return error != ENOENT && error != ECONNREFUSED && error != EAGAIN && error != EINTR;
    }
    size_t sent = 0;
    while (sent < sizeof(kRequest) - 1) {
        ssize_t n = send(fd, kRequest + sent, sizeof(kRequest) - 1 - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        sent += n;
    }
    close(fd);
    return true;
}

gboolean UnixSingleInstance::OnIncoming(gint fd, GIOCondition condition, gpointer self) {
    auto* instance = static_cast<UnixSingleInstance*>(self);
    for (;;) {
        int client = accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) break;
        if (!SameUser(client)) {
            close(client);
            continue;
        }
        auto* c = new Client{instance, client, 0, {}};
        c->source = g_unix_fd_add(client, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                                  OnClientData, c);
        instance->m_clients.insert(c);
    }
    return G_SOURCE_CONTINUE;
}

gboolean UnixSingleInstance::OnClientData(gint fd, GIOCondition condition, gpointer data) {
    auto* client = static_cast<Client*>(data);
    char buffer[kMaxRequest];
    ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return G_SOURCE_CONTINUE;
    if (n > 0) {
        client->received.append(buffer, n);
        size_t end = client->received.find('\n');
        if (end == std::string::npos && client->received.size() < kMaxRequest)
            return G_SOURCE_CONTINUE;
        bool request =
            end != std::string::npos && client->received.compare(0, end, "activate") == 0;
        UnixSingleInstance* owner = client->owner;
        owner->Drop(client);
        if (request) owner->Activated();
        return G_SOURCE_REMOVE;
    }
    // Closed, or failed, before a whole request arrived.
    client->owner->Drop(client);
    return G_SOURCE_REMOVE;
}

void UnixSingleInstance::Drop(Client* client) {
    close(client->fd);
    m_clients.erase(client);
    delete client;
}

void UnixSingleInstance::Activated() {
    if (m_handler) {
        m_handler();
    } else {
        ++m_pending;
    }
}

void UnixSingleInstance::OnActivation(std::function<void()> handler) {
    m_handler = std::move(handler);
    if (m_handler && m_pending && !m_pendingSource)
        m_pendingSource = g_idle_add(DeliverPending, this);
}

gboolean UnixSingleInstance::DeliverPending(gpointer self) {
    auto* instance = static_cast<UnixSingleInstance*>(self);
    instance->m_pendingSource = 0;
    for (; instance->m_pending > 0 && instance->m_handler; --instance->m_pending)
        instance->m_handler();
    return G_SOURCE_REMOVE;
}
