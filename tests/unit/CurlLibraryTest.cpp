#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fakes/FakeNetworkStatus.h"
#include "net/CookieStore.h"
#include "net/HttpRequest.h"
#include "net/PingSite.h"
#include "net/RedirectRule.h"

namespace fs = std::filesystem;

// Run only in a child process whose libcurl cannot be loaded (see below).
TEST(CurlLibraryMissingChild, EveryRequestFailsAndNothingCrashes) {
    if (!std::getenv("MURMEL_CURL_MISSING_CHILD")) GTEST_SKIP() << "runs in the child only";
    FakeNetworkStatus network;
    std::string error;
    EXPECT_FALSE(PingSite(network, "http://127.0.0.1:9/ping", error));
    EXPECT_EQ(error, "The request could not be started.");
    std::string response = "untouched";
    EXPECT_EQ(HttpRequest(network, HttpVerb::Post, "http://127.0.0.1:9/x", {"sid=1"},
                          {"whoami:murmel_notifier"}, "a=b", response),
              0);
    EXPECT_EQ(response, "untouched");
    EXPECT_EQ(JudgeRedirect(302, "https://a.example/", "https://a.example/b", false, 0),
              RedirectVerdict::Refuse);
    ClearCookieStore();
}

TEST(CurlLibrary, WithoutLibcurlTheProgramSaysSoAndRequestsFail) {
    // A file by the library's name that is no library comes first in the
    // search path of the child.
    const fs::path dir = fs::temp_directory_path() / ("murmel-nocurl-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "libcurl.so.4") << "not a library\n";
    std::array<char, PATH_MAX> self{};
    ASSERT_GT(readlink("/proc/self/exe", self.data(), self.size() - 1), 0);
    const std::string command = "LD_LIBRARY_PATH='" + dir.string() +
                                "' MURMEL_CURL_MISSING_CHILD=1 '" + self.data() +
                                "' --gtest_filter='CurlLibraryMissingChild.*' 2>&1";
    std::string output;
    FILE* child = popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::array<char, 4096> chunk{};
    while (fgets(chunk.data(), chunk.size(), child)) output += chunk.data();
    const int status = pclose(child);
    fs::remove_all(dir);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("cannot load libcurl.so.4"), std::string::npos) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}
