// GioShell against a test browser registered as the https handler in fresh
// XDG directories: a script that writes the arguments it was given.
#include <gio/gio.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/EngineEnvironment.h"
#include "platform/linux/GioShell.h"

namespace {

// Addresses that a shell or a field-code expansion would take apart.
const std::string kTrickyUrl =
    "https://127.0.0.1/a b?x='1'&y=\"2\";touch /tmp/murmel-pwned;%u%20$(id)`id`";

std::string Env(const char* name) {
    const char* value = g_getenv(name);
    return value ? value : "";
}

class ShellTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        gtk_init_check(nullptr, nullptr);
        // The desktop entries must be in place before GIO first reads them.
        std::string data = Env("XDG_DATA_HOME"), config = Env("XDG_CONFIG_HOME");
        ASSERT_FALSE(data.empty());
        ASSERT_FALSE(config.empty());
        s_outDir = data + "/browser-out";
        g_mkdir_with_parents((data + "/applications").c_str(), 0700);
        g_mkdir_with_parents(s_outDir.c_str(), 0700);
        g_mkdir_with_parents(config.c_str(), 0700);
        // Each run writes its arguments, NUL-terminated, to a new file, and
        // the engine variables it was started with beside them.
        s_script = data + "/test-browser.sh";
        std::ofstream(s_script)
            << "#!/bin/sh\n"
               "out=\""
            << s_outDir
            << "/$$\"\n"
               "{ echo \"GDK_GL=${GDK_GL-unset}\"\n"
               "  echo \"WEBKIT_DISABLE_DMABUF_RENDERER=${WEBKIT_DISABLE_DMABUF_RENDERER-unset}\"\n"
               "  echo \"WEBKIT_DISABLE_MEMORY_PRESSURE_MONITOR="
               "${WEBKIT_DISABLE_MEMORY_PRESSURE_MONITOR-unset}\"\n"
               "  echo \"__EGL_VENDOR_LIBRARY_FILENAMES="
               "${__EGL_VENDOR_LIBRARY_FILENAMES-unset}\"; } > \"$out.env\"\n"
               "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.tmp\"\n"
               "mv \"$out.tmp\" \"$out.args\"\n";
        g_chmod(s_script.c_str(), 0755);
        std::ofstream(data + "/applications/murmel-test-browser.desktop")
            << "[Desktop Entry]\nType=Application\nName=Test Browser\n"
               "Exec="
            << s_script
            << " --new-window %u\n"
               "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n";
        std::ofstream(config + "/mimeapps.list")
            << "[Default Applications]\n"
               "x-scheme-handler/https=murmel-test-browser.desktop\n"
               "x-scheme-handler/http=murmel-test-browser.desktop\n";
    }

    void SetUp() override { ClearOutput(); }

    static void ClearOutput() {
        GDir* dir = g_dir_open(s_outDir.c_str(), 0, nullptr);
        while (const char* name = g_dir_read_name(dir)) g_unlink((s_outDir + "/" + name).c_str());
        g_dir_close(dir);
    }

    // The arguments of the one browser run, waiting for it a bounded while;
    // empty when there was none or more than one.
    static StringList BrowserRun() {
        for (int i = 0; i < 2000; ++i) {
            StringList runs;
            GDir* dir = g_dir_open(s_outDir.c_str(), 0, nullptr);
            while (const char* name = g_dir_read_name(dir))
                if (g_str_has_suffix(name, ".args")) runs.push_back(s_outDir + "/" + name);
            g_dir_close(dir);
            if (runs.size() > 1) return {};
            if (runs.size() == 1) {
                std::ifstream in(runs[0], std::ios::binary);
                StringList args;
                std::string arg;
                while (std::getline(in, arg, '\0')) args.push_back(arg);
                return args;
            }
            g_main_context_iteration(nullptr, FALSE);
            g_usleep(10000);
        }
        return {};
    }

    // The three engine variables as the one browser run saw them.
    static std::string BrowserEnvironment() {
        GDir* dir = g_dir_open(s_outDir.c_str(), 0, nullptr);
        std::string text;
        while (const char* name = g_dir_read_name(dir))
            if (g_str_has_suffix(name, ".env")) {
                std::ifstream in(s_outDir + "/" + name);
                text.assign(std::istreambuf_iterator<char>(in), {});
            }
        g_dir_close(dir);
        return text;
    }

    GioShell m_shell;
    static inline std::string s_outDir, s_script;
};

TEST_F(ShellTest, OpenUrlHandsTheAddressUnchangedToTheDefaultBrowser) {
    ASSERT_TRUE(m_shell.OpenUrl(kTrickyUrl));
    EXPECT_EQ(BrowserRun(), (StringList{"--new-window", kTrickyUrl}));
    EXPECT_FALSE(g_file_test("/tmp/murmel-pwned", G_FILE_TEST_EXISTS));
}

TEST_F(ShellTest, TheDefaultCommandLaunchesWithTheAddressAsOneArgument) {
    std::string command = m_shell.DefaultBrowserCommand();
    EXPECT_EQ(command, s_script + " --new-window %u");
    ASSERT_TRUE(m_shell.LaunchBrowser(command, kTrickyUrl));
    EXPECT_EQ(BrowserRun(), (StringList{"--new-window", kTrickyUrl}));

    // A command without a placeholder gets the address at the end.
    ClearOutput();
    ASSERT_TRUE(m_shell.LaunchBrowser("'" + s_script + "' --private", kTrickyUrl));
    EXPECT_EQ(BrowserRun(), (StringList{"--private", kTrickyUrl}));
    EXPECT_FALSE(g_file_test("/tmp/murmel-pwned", G_FILE_TEST_EXISTS));
}

TEST_F(ShellTest, AddressesThatWouldBeOptionsAreRefused) {
    EXPECT_FALSE(m_shell.OpenUrl("--remote-debugging-port=9222"));
    EXPECT_FALSE(m_shell.OpenUrl(""));
    EXPECT_FALSE(m_shell.LaunchBrowser(m_shell.DefaultBrowserCommand(), "-new-tab"));
    EXPECT_FALSE(m_shell.LaunchBrowser("'unclosed", "https://127.0.0.1/"));
    EXPECT_FALSE(m_shell.LaunchBrowser("/nonexistent/browser %u", "https://127.0.0.1/"));
    // Only a later, acceptable address reaches the browser.
    ASSERT_TRUE(m_shell.OpenUrl("https://127.0.0.1/after"));
    EXPECT_EQ(BrowserRun(), (StringList{"--new-window", "https://127.0.0.1/after"}));
}

TEST_F(ShellTest, TheBrowserGetsTheUsersEnvironmentNotOurEngineSettings) {
    g_unsetenv("GDK_GL");
    g_unsetenv("WEBKIT_DISABLE_MEMORY_PRESSURE_MONITOR");
    g_unsetenv("__EGL_VENDOR_LIBRARY_FILENAMES");
    g_unsetenv("__EGL_VENDOR_LIBRARY_DIRS");
    g_setenv("WEBKIT_DISABLE_DMABUF_RENDERER", "0", TRUE);  // the user's own
    // A program whose EGL driver has no library beside its file, or one
    // that does not load, does not name it; one with both does.
    const std::string program = Env("XDG_DATA_HOME") + "/program";
    g_mkdir_with_parents(program.c_str(), 0700);
    std::ofstream(program + "/murmel-no-gl.json") << "{}";
    UseEngineEnvironment(program + "/murmel-alarm");
    EXPECT_EQ(g_getenv("__EGL_VENDOR_LIBRARY_FILENAMES"), nullptr);
    std::ofstream(program + "/murmel-no-gl.so") << "\177ELF cut short";
    UseEngineEnvironment(program + "/murmel-alarm");
    EXPECT_EQ(g_getenv("__EGL_VENDOR_LIBRARY_FILENAMES"), nullptr);
    std::filesystem::copy_file(MURMEL_NO_GL_LIBRARY, program + "/murmel-no-gl.so",
                               std::filesystem::copy_options::overwrite_existing);
    UseEngineEnvironment(program + "/murmel-alarm");
    EXPECT_EQ(Env("__EGL_VENDOR_LIBRARY_FILENAMES"), program + "/murmel-no-gl.json");
    EXPECT_STREQ(g_getenv("GDK_GL"), "disable");
    EXPECT_STREQ(g_getenv("WEBKIT_DISABLE_DMABUF_RENDERER"), "0");
    const std::string expected =
        "GDK_GL=unset\nWEBKIT_DISABLE_DMABUF_RENDERER=0\n"
        "WEBKIT_DISABLE_MEMORY_PRESSURE_MONITOR=unset\n__EGL_VENDOR_LIBRARY_FILENAMES=unset\n";

    ASSERT_TRUE(m_shell.OpenUrl("https://127.0.0.1/default"));
    ASSERT_FALSE(BrowserRun().empty());
    EXPECT_EQ(BrowserEnvironment(), expected);

    ClearOutput();
    ASSERT_TRUE(m_shell.LaunchBrowser(m_shell.DefaultBrowserCommand(), "https://127.0.0.1/own"));
    ASSERT_FALSE(BrowserRun().empty());
    EXPECT_EQ(BrowserEnvironment(), expected);
}

TEST(BrowserArgumentsTest, FieldCodesAreExpandedOnce) {
    const std::string url = "https://127.0.0.1/x?a=%25u";
    EXPECT_EQ(BrowserArguments("browser %U %u", url), (StringList{"browser", url}));
    EXPECT_EQ(BrowserArguments("\"/opt/my browser/run\" --url=%u %i %c %k 100%%", url),
              (StringList{"/opt/my browser/run", "--url=" + url, "100%"}));
    EXPECT_EQ(BrowserArguments("browser --flag ''", url),
              (StringList{"browser", "--flag", "", url}));
    EXPECT_TRUE(BrowserArguments("", url).empty());
    EXPECT_TRUE(BrowserArguments("%i", url).empty());
}

}  // namespace
