// The single-instance lock and activation, with real processes: each
// single_instance_probe run is one program start.
#include <gio/gio.h>
#include <gio/gunixinputstream.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <fcntl.h>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/UnixSingleInstance.h"

namespace {

// Long enough for any start on a loaded machine; only reached on failure.
constexpr int kLineTimeoutMs = 20000;

class Probe {
public:
    Probe(const std::string& dir, bool withChild = false) {
        const char* argv[] = {SINGLE_INSTANCE_PROBE, dir.c_str(),
                              withChild ? "--with-child" : nullptr, nullptr};
        m_process = g_subprocess_newv(argv,
                                      static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDIN_PIPE |
                                                                    G_SUBPROCESS_FLAGS_STDOUT_PIPE),
                                      nullptr);
        m_out = g_unix_input_stream_get_fd(
            G_UNIX_INPUT_STREAM(g_subprocess_get_stdout_pipe(m_process)));
    }
    ~Probe() {
        // Closing its input ends a probe that holds the lock.
        g_output_stream_close(g_subprocess_get_stdin_pipe(m_process), nullptr, nullptr);
        g_subprocess_wait(m_process, nullptr, nullptr);
        g_object_unref(m_process);
    }

    // The next line of output; empty at end of output or after the timeout.
    std::string ReadLine() {
        for (;;) {
            size_t end = m_buffered.find('\n');
            if (end != std::string::npos) {
                std::string line = m_buffered.substr(0, end);
                m_buffered.erase(0, end + 1);
                return line;
            }
            pollfd p{m_out, POLLIN, 0};
            if (poll(&p, 1, kLineTimeoutMs) <= 0) return {};
            char chunk[256];
            ssize_t n = read(m_out, chunk, sizeof(chunk));
            if (n <= 0) return {};
            m_buffered.append(chunk, n);
        }
    }

    int WaitForExit() {
        g_subprocess_wait(m_process, nullptr, nullptr);
        return g_subprocess_get_if_exited(m_process) ? g_subprocess_get_exit_status(m_process) : -1;
    }

    void Kill() { kill(std::stoi(g_subprocess_get_identifier(m_process)), SIGKILL); }

private:
    GSubprocess* m_process;
    int m_out;
    std::string m_buffered;
};

// Holds the lock and listens where a running instance would, but misbehaves
// as told.
class StuckInstance {
public:
    enum class Mode {
        NeverAccepts,        // hung before it reached its loop: the queue fills up
        NeverAnswers,        // takes the request and says nothing
        QuitsWithoutAnswer,  // takes the request, lets the lock go and hangs up
        HangsUp,             // takes each request and hangs up, keeping the lock
    };

    StuckInstance(const std::string& dir, Mode mode) : m_mode(mode) {
        UnixSingleInstance paths(dir);
        g_mkdir_with_parents(dir.c_str(), 0700);
        m_lock = open(paths.LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        EXPECT_EQ(flock(m_lock, LOCK_EX | LOCK_NB), 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, paths.SocketPath().c_str());
        m_listen = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        EXPECT_EQ(bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(listen(m_listen, 0), 0);
        if (mode == Mode::NeverAccepts) {
            // Connect until the queue is full, as earlier starts would have.
            for (int i = 0; i < 64; ++i) {
                int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
                m_connections.push_back(fd);
                if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) break;
            }
            EXPECT_EQ(errno, EAGAIN);
            return;
        }
        m_thread = std::thread([this] { Serve(); });
    }
    ~StuckInstance() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        for (int fd : m_connections) close(fd);
        close(m_listen);
        if (m_lock >= 0) close(m_lock);
    }

    // What the later start sent, once it has ended.
    std::string Received() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        return m_received;
    }

private:
    void Serve() {
        for (;;) {
            int fd = -1;
            while (!m_stop && fd < 0) {
                pollfd p{m_listen, POLLIN, 0};
                if (poll(&p, 1, 20) > 0) fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            }
            if (fd < 0) return;
            char c;
            while (m_received.size() < 64 && read(fd, &c, 1) == 1) {
                m_received += c;
                if (c == '\n') break;
            }
            if (m_mode == Mode::NeverAnswers) {
                m_connections.push_back(fd);
                return;
            }
            close(fd);
            if (m_mode == Mode::QuitsWithoutAnswer) {
                close(m_lock);
                m_lock = -1;
                return;
            }
        }
    }

    Mode m_mode;
    int m_lock = -1;
    int m_listen = -1;
    std::vector<int> m_connections;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::string m_received;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/murmel-once.XXXXXX";
        ASSERT_NE(g_mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        for (const char* name : {"/Murmel Alarm once.lock", "/Murmel Alarm once.sock"})
            g_unlink((m_dir + name).c_str());
        g_rmdir(m_dir.c_str());
    }

    // Runs the default main context until pred holds, bounded.
    template <typename Pred>
    bool IterateUntil(Pred pred) {
        for (int i = 0; i < 2000 && !pred(); ++i) {
            if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(5000);
        }
        return pred();
    }

    std::string m_dir;
};

TEST_F(SingleInstanceTest, TwoStartsAtOnceLeaveExactlyOneRunning) {
    for (int round = 0; round < 5; ++round) {
        std::string dir = m_dir + "/round" + std::to_string(round);
        {
            Probe a(dir), b(dir);
            std::string lineA = a.ReadLine(), lineB = b.ReadLine();
            ASSERT_TRUE((lineA == "acquired" && lineB == "handed-over") ||
                        (lineA == "handed-over" && lineB == "acquired"))
                << "round " << round << ": " << lineA << " / " << lineB;
            Probe& running = lineA == "acquired" ? a : b;
            Probe& second = lineA == "acquired" ? b : a;
            EXPECT_EQ(second.WaitForExit(), 0);
            // The hand-over reached the one that runs, even when it came while
            // that one was still setting up.
            EXPECT_EQ(running.ReadLine(), "activation") << "round " << round;
        }
        g_unlink((dir + "/Murmel Alarm once.lock").c_str());
        g_rmdir(dir.c_str());
    }
}

TEST_F(SingleInstanceTest, LaterStartsActivateTheRunningInstanceAndExit) {
    // Also from a runtime directory too deep for a socket address.
    const std::string deep = m_dir + "/" + std::string(110, 'd');
    for (const std::string& dir : {m_dir, deep}) {
        {
            Probe first(dir);
            ASSERT_EQ(first.ReadLine(), "acquired") << dir.size();
            for (int i = 0; i < 3; ++i) {
                Probe later(dir);
                EXPECT_EQ(later.ReadLine(), "handed-over") << dir.size();
                EXPECT_EQ(later.WaitForExit(), 0);
                EXPECT_EQ(first.ReadLine(), "activation") << dir.size();
            }
        }
        if (dir == deep) {
            for (const char* name : {"/Murmel Alarm once.lock", "/Murmel Alarm once.sock"})
                g_unlink((dir + name).c_str());
            g_rmdir(dir.c_str());
        }
    }
}

TEST_F(SingleInstanceTest, AStartGivesUpInTimeOnAnInstanceThatDoesNotAnswer) {
    using Mode = StuckInstance::Mode;
    const struct {
        Mode mode;
        const char* name;
        const char* line;      // what the later start does
        const char* received;  // what the stuck instance got
    } cases[] = {
        {Mode::NeverAccepts, "never accepts", "handed-over", ""},
        {Mode::NeverAnswers, "never answers", "handed-over", "activate\n"},
        {Mode::QuitsWithoutAnswer, "quits without answer", "acquired", "activate\n"},
        // May have acted on it: asked once, not over and over.
        {Mode::HangsUp, "hangs up", "handed-over", "activate\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = m_dir + "/" + std::to_string(static_cast<int>(c.mode));
        {
            StuckInstance stuck(dir, c.mode);
            Probe later(dir);
            const std::string line = later.ReadLine();
            if (line.empty()) later.Kill();  // hung: the fault this guards against
            EXPECT_EQ(line, c.line);
            EXPECT_EQ(stuck.Received(), c.received);
        }
        for (const char* name : {"/Murmel Alarm once.lock", "/Murmel Alarm once.sock"})
            g_unlink((dir + name).c_str());
        g_rmdir(dir.c_str());
    }
}

TEST_F(SingleInstanceTest, AStartAfterACrashTakesOverDespiteLeftovers) {
    {
        // The crashed instance leaves its socket file behind and a child that
        // must not keep the lock alive.
        Probe crashed(m_dir, true);
        std::string child = crashed.ReadLine();
        ASSERT_EQ(child.rfind("child ", 0), 0u) << child;
        ASSERT_EQ(crashed.ReadLine(), "acquired");
        crashed.Kill();
        EXPECT_EQ(crashed.WaitForExit(), -1);
        struct stat info;
        ASSERT_EQ(stat((m_dir + "/Murmel Alarm once.sock").c_str(), &info), 0);
        Probe next(m_dir);
        EXPECT_EQ(next.ReadLine(), "acquired");
        Probe later(m_dir);
        EXPECT_EQ(later.ReadLine(), "handed-over");
        EXPECT_EQ(next.ReadLine(), "activation");
        kill(std::stoi(child.substr(6)), SIGKILL);
    }
}

TEST_F(SingleInstanceTest, RequestsBeforeTheHandlerAreKeptAndStrangersIgnored) {
    auto first = std::make_unique<UnixSingleInstance>(m_dir);
    ASSERT_TRUE(first->AcquireOrActivate());
    EXPECT_TRUE(first->AcquireOrActivate());

    // A second lock in the same process conflicts like one in another process.
    UnixSingleInstance second(m_dir);
    EXPECT_FALSE(second.AcquireOrActivate());

    // Something that is not an activation request.
    GSocketClient* client = g_socket_client_new();
    GSocketAddress* address = g_unix_socket_address_new(first->SocketPath().c_str());
    GSocketConnection* stranger =
        g_socket_client_connect(client, G_SOCKET_CONNECTABLE(address), nullptr, nullptr);
    ASSERT_NE(stranger, nullptr);
    g_output_stream_write_all(g_io_stream_get_output_stream(G_IO_STREAM(stranger)),
                              "open /etc/passwd\n", 17, nullptr, nullptr, nullptr);
    g_io_stream_close(G_IO_STREAM(stranger), nullptr, nullptr);
    g_object_unref(stranger);
    g_object_unref(address);
    g_object_unref(client);

    for (int i = 0; i < 100; ++i) g_main_context_iteration(nullptr, FALSE);
    int calls = 0;
    first->OnActivation([&] { ++calls; });
    EXPECT_TRUE(IterateUntil([&] { return calls > 0; }));
    for (int i = 0; i < 100; ++i) g_main_context_iteration(nullptr, FALSE);
    EXPECT_EQ(calls, 1);

    // Ending the instance removes its socket and frees the lock.
    std::string socketPath = first->SocketPath();
    first.reset();
    EXPECT_FALSE(g_file_test(socketPath.c_str(), G_FILE_TEST_EXISTS));
    UnixSingleInstance third(m_dir);
    EXPECT_TRUE(third.AcquireOrActivate());
}

}  // namespace
