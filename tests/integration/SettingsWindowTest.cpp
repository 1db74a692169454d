// The settings window on real parts: the engine under a real display, the
// settings file and the autostart entry in fresh XDG folders, a version
// service on loopback and the recording sound adapter.
#include <gdk/gdk.h>
#include <glib/gstdio.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "config/AppSettings.h"
#include "config/Settings.h"
#include "fakes/FakeNotificationPolicy.h"
#include "integration/HtmlWindowHarness.h"
#include "integration/PageInput.h"
#include "integration/support/LoopbackHttpServer.h"
#include "platform/linux/EnvDisplayLanguage.h"
#include "platform/linux/GdkDesktop.h"
#include "platform/linux/GioNetworkStatus.h"
#include "platform/linux/GioShell.h"
#include "platform/linux/GlibEventLoop.h"
#include "platform/linux/GtkMessageBox.h"
#include "platform/linux/GtkTextDialog.h"
#include "platform/linux/IniProfileFile.h"
#include "platform/linux/KeyFileStore.h"
#include "platform/linux/LocalClock.h"
#include "platform/linux/MallocTrim.h"
#include "platform/linux/ProcModulePath.h"
#include "platform/linux/RecordingSound.h"
#include "platform/linux/WebKitBrowserSession.h"
#include "platform/linux/WebKitHtmlWindow.h"
#include "platform/linux/WebKitHtmlWindowFactory.h"
#include "platform/linux/XdgAutostart.h"
#include "settings/CSettingFrm.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ConfigHome() {
    return std::getenv("XDG_CONFIG_HOME");
}

// The settings window needs no tray.
class NoTray : public ITray {
public:
    void SetEvents(ITrayEvents*) override {}
    bool Add(const TrayIconData&) override { return true; }
    bool Modify(const TrayIconData&) override { return true; }
    bool Delete() override { return true; }
    void PopupMenu(const std::vector<TrayMenuItem>&, Point) override {}
    void SetMenu(const std::vector<TrayMenuItem>&) override {}
};

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Sounds are looked for under the working directory.
        char pattern[] = "/tmp/murmel-sounds.XXXXXX";
        workDir = g_mkdtemp(pattern);
        g_mkdir_with_parents((workDir + "/sound").c_str(), 0700);
        for (int n = 1; n <= 5; ++n)
            std::ofstream(workDir + "/sound/sound" + std::to_string(n) + ".wav") << "RIFF";
        ASSERT_EQ(chdir(workDir.c_str()), 0);
        soundLog = workDir + "/sounds.log";

        server.SetReply(
            "/plugin/version.json", 200,
            R"({"success": true, "data": {"uptodate": "true", "newversion": "1.0.3"}})");
        AppSettings = AppSettingsRecord{};
        AppSettings.webClientBaseUrl = server.HttpBase();
        AppSettings.soundIndex = "7";
        UseSettingsStore(&store, &profile);
        g_unlink(autostart.EntryPath().c_str());
    }
    void TearDown() override {
        UseSettingsStore(nullptr, nullptr);
        g_spawn_command_line_sync(("rm -rf " + workDir).c_str(), nullptr, nullptr, nullptr,
                                  nullptr);
    }

    std::string StoredText() { return ReadAll(ConfigHome() + "/OSTRAND/Murmel Alarm.conf"); }

    void ClickOn(const std::string& id) { ClickElement(*frm.Window(), id); }

    LoopbackHttpServer server;
    std::string workDir, soundLog;
    GlibEventLoop loop;
    WebKitHtmlWindowFactory htmlWindows{""};
    GtkTextDialogFactory dialogs;
    GtkMessageBox messageBox;
    NoTray tray;
    KeyFileStore store;
    IniProfileFile profile;
    ProcModulePath module;
    GioShell shell;
    GioNetworkStatus network;
    WebKitBrowserSession browser{htmlWindows.Context()};
    LocalClock clock;
    EnvDisplayLanguage language;
    GdkDesktop desktop;
    XdgAutostart autostart;
    FakeNotificationPolicy notificationPolicy;
    MallocTrim memory;
    CSettingFrm frm;
};

TEST_F(SettingsWindowTest, OpensFillsPlaysAndSaves) {
    RecordingSound recorder(soundLog);
    Ports ports{loop,
                htmlWindows,
                dialogs,
                messageBox,
                tray,
                store,
                profile,
                module,
                recorder,
                shell,
                network,
                browser,
                clock,
                language,
                desktop,
                autostart,
                notificationPolicy,
                memory};
    frm.Create(ports, 1);
    ASSERT_NE(frm.Window(), nullptr);
    // A choice with no sound was put right in the file at once.
    EXPECT_NE(StoredText().find("sound=0"), std::string::npos) << StoredText();

    frm.Window()->Show();
    frm.RefreshSettings();
    ASSERT_TRUE(RunUntil([&] { return frm.Window()->IsVisible(); }));
    EXPECT_EQ(frm.Window()->GetRect().Width(), 387);
    EXPECT_EQ(frm.Window()->GetRect().Height(), 504);
    // The program keeps what it wrote until the page is there, so the values
    // are read back from the document itself: on a busy machine the page
    // loads long after the window shows.
    ASSERT_TRUE(RunUntil([&] {
        return EvalInPage(*frm.Window(),
                          "document.getElementById('new_version') &&"
                          " document.getElementById('new_version').innerText") == "1.0.3";
    }));
    EXPECT_TRUE(frm.Window()->HasDocument());
    EXPECT_EQ(EvalInPage(*frm.Window(), "document.getElementById('selected_sound').value"), "0");
    EXPECT_EQ(frm.Window()->GetData("version"), "1.0.2");
    EXPECT_EQ(frm.Window()->GetData("set_title"), "Settings");

    // Keep a picture of the window once the page has drawn: its Save button
    // is blue, the empty window behind the page is not.
    g_mkdir_with_parents(MURMEL_TEST_ARTIFACTS, 0755);
    const Rect r = frm.Window()->GetRect();
    GdkPixbuf* shot = nullptr;
    auto pixel = [&](int x, int y) {
        return gdk_pixbuf_get_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot) +
               x * gdk_pixbuf_get_n_channels(shot);
    };
    const guint tick = g_timeout_add(
        50, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    const bool drawn = RunUntil([&] {
        if (shot) g_object_unref(shot);
        shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), r.left, r.top, 387, 504);
        return shot && pixel(132, 464)[0] < 100 && pixel(132, 464)[2] > 200;
    });
    g_source_remove(tick);
    ASSERT_NE(shot, nullptr);
    EXPECT_TRUE(gdk_pixbuf_save(shot, MURMEL_TEST_ARTIFACTS "/settings-window.png", "png", nullptr,
                                nullptr));
    EXPECT_TRUE(drawn);
    // Rounded: the corner shows what lies behind the window.
    EXPECT_LT(pixel(0, 0)[0], 60);
    EXPECT_GT(pixel(193, 390)[0], 200);  // the page's white
    g_object_unref(shot);

    ClickOn("radio_sound_3");
    ClickOn("button_sound_3");
    ASSERT_TRUE(RunUntil([&] { return !ReadAll(soundLog).empty(); }));
    EXPECT_EQ(ReadAll(soundLog), workDir + "/sound/sound4.wav\n");

    ClickOn("chk_preview");
    ClickOn("chk_start");
    ClickOn("button_ok");
    ASSERT_TRUE(RunUntil([&] { return !frm.Window()->IsVisible(); }));
    EXPECT_EQ(AppSettings.soundIndex, "3");
    EXPECT_FALSE(AppSettings.messagePreview);
    const std::string stored = StoredText();
    EXPECT_NE(stored.find("alert=true"), std::string::npos) << stored;
    EXPECT_NE(stored.find("sound=3"), std::string::npos) << stored;
    EXPECT_NE(stored.find("preview=false"), std::string::npos) << stored;
    EXPECT_EQ(autostart.ReadRunEntry(), module.ExecutablePath());
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GtkEnvironment);
    return RUN_ALL_TESTS();
}
