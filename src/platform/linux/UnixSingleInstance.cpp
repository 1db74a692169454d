#include "platform/linux/UnixSingleInstance.h"

#include <fcntl.h>
#include <glib-unix.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/linux/InstanceRequest.h"

namespace {

// A later start gives up on the running instance after this long: enough
// for one that is busy for a moment or still setting up, short enough that
// a hung one does not hang every start after it.
constexpr gint64 kHandOverUs = 3 * G_USEC_PER_SEC;
constexpr gulong kRetryPauseUs = 50 * 1000;

// The address of a socket file, which holds little more than a hundred
// bytes. A deeper directory (a long XDG_RUNTIME_DIR) is reached through a
// descriptor of it, named by its short /proc path while it stays open.
class SocketAddress {
public:
    SocketAddress(const std::string& directory, const std::string& name) {
        m_address.sun_family = AF_UNIX;
        std::string path = directory + "/" + name;
        if (path.size() >= sizeof(m_address.sun_path)) {
            m_directory = open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (m_directory < 0) return;
            path = "/proc/self/fd/" + std::to_string(m_directory) + "/" + name;
            if (path.size() >= sizeof(m_address.sun_path)) return;
        }
        std::memcpy(m_address.sun_path, path.c_str(), path.size() + 1);
        m_valid = true;
    }
    ~SocketAddress() {
        if (m_directory >= 0) close(m_directory);
    }
    SocketAddress(const SocketAddress&) = delete;
    SocketAddress& operator=(const SocketAddress&) = delete;

    bool Valid() const { return m_valid; }
    const sockaddr_un& Get() const { return m_address; }

private:
    sockaddr_un m_address{};
    int m_directory = -1;
    bool m_valid = false;
};

bool SameUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof(peer);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == getuid();
}

// Waits until fd is ready for `events` or the deadline (monotonic, in
// microseconds) has passed; false on time-out.
bool WaitFor(int fd, short events, gint64 deadline) {
    for (;;) {
        const gint64 left = deadline - g_get_monotonic_time();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        const int n = poll(&p, 1, static_cast<int>((left + 999) / 1000));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return true;  // the next call reports the error
    }
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
    const gint64 deadline = g_get_monotonic_time() + kHandOverUs;
    bool hungUp = false;
    for (;;) {
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
        // An instance that holds the lock and does not answer in time is
        // left alone: a second one beside it would share its settings and
        // its socket. A request that reached its queue still brings it
        // forward once it answers again.
        if (!hungUp) {
            const HandOver outcome = SendActivation(deadline);
            // One that hung up may have acted on the request all the same:
            // it is not asked again, only its lock is waited for.
            hungUp = outcome == HandOver::HungUp;
            if (outcome != HandOver::Retry && !hungUp) break;
        }
        if (g_get_monotonic_time() + static_cast<gint64>(kRetryPauseUs) >= deadline) break;
        g_usleep(kRetryPauseUs);
    }
    close(fd);
    return false;
}

void UnixSingleInstance::Listen() {
    const std::string path = SocketPath();
    SocketAddress address(m_directory, kSocketName);
    // Should the directory not open, the lock still keeps other starts out;
    // they just cannot ask this one to come forward.
    if (!address.Valid()) return;
    // Only the holder of the lock gets here, so a socket file that exists is
    // left over from an instance that died.
    unlink(path.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address.Get()), sizeof(sockaddr_un)) != 0 ||
        chmod(path.c_str(), 0600) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return;
    }
    m_listenFd = fd;
    m_listenSource = g_unix_fd_add(fd, G_IO_IN, OnIncoming, this);
}

UnixSingleInstance::HandOver UnixSingleInstance::SendActivation(gint64 deadline) {
    SocketAddress address(m_directory, kSocketName);
    if (!address.Valid()) return HandOver::GiveUp;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return HandOver::GiveUp;
    const HandOver outcome = Converse(fd, address.Get(), deadline);
    close(fd);
    return outcome;
}

UnixSingleInstance::HandOver UnixSingleInstance::Converse(int fd, const sockaddr_un& address,
                                                          gint64 deadline) {
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        const int error = errno;
        // Not listening yet, gone, or its queue is full.
        if (error == ENOENT || error == ECONNREFUSED || error == EAGAIN || error == EINTR)
            return HandOver::Retry;
        if (error != EINPROGRESS) return HandOver::GiveUp;
        int result = 0;
        socklen_t length = sizeof(result);
        if (!WaitFor(fd, POLLOUT, deadline)) return HandOver::Unanswered;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0 || result != 0)
            return HandOver::Retry;
    }
    std::string_view request = kActivateRequest;
    while (!request.empty()) {
        const ssize_t n = send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        if (n > 0) {
            request.remove_prefix(static_cast<size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd, POLLOUT, deadline)) return HandOver::Unanswered;
        } else {
            return HandOver::HungUp;
        }
    }
    std::string answer;
    for (;;) {
        char buffer[kMaxInstanceLine];
        const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
        if (n > 0) {
            answer.append(buffer, static_cast<size_t>(n));
            switch (ReadInstanceLine(answer, kActivateAnswer)) {
                case InstanceLine::Expected:
                    return HandOver::Done;
                case InstanceLine::Other:
                    return HandOver::GiveUp;
                case InstanceLine::Incomplete:
                    continue;
            }
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd, POLLIN, deadline)) return HandOver::Unanswered;
            continue;
        }
        // Closed without an answer: the instance is on its way out and its
        // lock about to be free.
        return HandOver::HungUp;
    }
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
    char buffer[kMaxInstanceLine];
    ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return G_SOURCE_CONTINUE;
    if (n > 0) {
        client->received.append(buffer, n);
        const InstanceLine line = ReadInstanceLine(client->received, kActivateRequest);
        if (line == InstanceLine::Incomplete) return G_SOURCE_CONTINUE;
        UnixSingleInstance* owner = client->owner;
        if (line == InstanceLine::Expected) {
            // A few bytes into an empty socket buffer: never blocks, and a
            // start that has given up already loses nothing by a failure.
            send(fd, kActivateAnswer.data(), kActivateAnswer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        owner->Drop(client);
        if (line == InstanceLine::Expected) owner->Activated();
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
