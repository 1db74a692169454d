// The event loop on the real GLib main context: a worker's Send and the
// target going away under it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/linux/GlibEventLoop.h"

namespace {

struct Counter : IMessageTarget {
    std::intptr_t OnMessage(unsigned, std::uintptr_t, std::intptr_t) override {
        ++handled;
        return 7;
    }
    std::atomic<int> handled = 0;
};

// Waits, without dispatching anything, until the context has work queued.
bool SomethingQueued() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!g_main_context_pending(nullptr))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

TEST(GlibEventLoopTest, AWorkersSendEndsWithTheTargetOrItsAnswer) {
    struct Case {
        const char* name;
        bool unregisterFirst;  // the target goes before the UI thread gets to the message
    };
    for (const Case& c : {Case{"answered", false}, Case{"target gone", true}}) {
        GlibEventLoop loop;
        Counter target;
        const WindowHandle handle = loop.Register(&target);
        std::intptr_t result = -1;
        std::thread worker([&] { result = loop.Send(handle, 1016, 0, 0); });
        ASSERT_TRUE(SomethingQueued()) << c.name;
        if (c.unregisterFirst) {
            // The worker must come back although nobody will handle it.
            loop.Unregister(handle);
            worker.join();
        } else {
            loop.Await([&] { worker.join(); });
        }
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        EXPECT_EQ(result, c.unregisterFirst ? 0 : 7) << c.name;
        EXPECT_EQ(target.handled, c.unregisterFirst ? 0 : 1) << c.name;
        if (!c.unregisterFirst) loop.Unregister(handle);
        // Sent after the target went: refused at once.
        std::thread late([&] { result = loop.Send(handle, 1016, 0, 0); });
        late.join();
        EXPECT_EQ(result, 0) << c.name;
    }
}

}  // namespace
