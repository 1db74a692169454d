// The small desktop services on a real display and real files: work area,
// clock, module path, how the engine module is opened, and sound.
#include <dlfcn.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/linux/CanberraSound.h"
#include "platform/linux/EngineLoader.h"
#include "platform/linux/GdkDesktop.h"
#include "platform/linux/LocalClock.h"
#include "platform/linux/ProcModulePath.h"
#include "platform/linux/RecordingSound.h"

// Last: its X11 macros would clash with the headers above.
#include <gdk/gdkx.h>

namespace {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/murmel-services.XXXXXX";
        m_path = g_mkdtemp(pattern);
    }
    ~TempDir() {
        GDir* dir = g_dir_open(m_path.c_str(), 0, nullptr);
        while (const char* name = g_dir_read_name(dir)) g_unlink((m_path + "/" + name).c_str());
        g_dir_close(dir);
        g_rmdir(m_path.c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Announces a work area on the root window as a window manager does, then
// opens the display. A child process announces it: GDK remembers for a while
// what it found when it opened the display, so the announcement must come
// first; and the child stays connected until the display is open here, since
// the X server forgets the root window's properties once its last client goes.
void AnnounceWorkAreaAndOpenDisplay(const Rect& area) {
    int announced[2], opened[2];
    ASSERT_EQ(pipe(announced), 0);
    ASSERT_EQ(pipe(opened), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child > 0) {
        close(announced[1]);
        close(opened[0]);
        char byte = 0;
        ASSERT_EQ(read(announced[0], &byte, 1), 1);
        ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
        gdk_display_sync(gdk_display_get_default());
        close(opened[1]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        close(announced[0]);
        return;
    }
    close(announced[0]);
    close(opened[1]);
    if (!gdk_init_check(nullptr, nullptr)) _exit(1);
    GdkWindow* root = gdk_get_default_root_window();
    gulong self = GDK_WINDOW_XID(root);
    gdk_property_change(root, gdk_atom_intern_static_string("_NET_SUPPORTING_WM_CHECK"),
                        gdk_atom_intern_static_string("WINDOW"), 32, GDK_PROP_MODE_REPLACE,
                        reinterpret_cast<guchar*>(&self), 1);
    // GDK turns GdkAtom values of ATOM properties into X atoms itself.
    GdkAtom supported = gdk_atom_intern_static_string("_NET_WORKAREA");
    gdk_property_change(root, gdk_atom_intern_static_string("_NET_SUPPORTED"),
                        gdk_atom_intern_static_string("ATOM"), 32, GDK_PROP_MODE_REPLACE,
                        reinterpret_cast<guchar*>(&supported), 1);
    gulong workArea[] = {gulong(area.left), gulong(area.top), gulong(area.Width()),
                         gulong(area.Height())};
    gdk_property_change(root, gdk_atom_intern_static_string("_NET_WORKAREA"),
                        gdk_atom_intern_static_string("CARDINAL"), 32, GDK_PROP_MODE_REPLACE,
                        reinterpret_cast<guchar*>(workArea), 4);
    gdk_display_sync(gdk_display_get_default());
    char byte = 1;
    if (write(announced[1], &byte, 1) != 1) _exit(1);
    while (read(opened[0], &byte, 1) > 0) {
    }
    _exit(0);
}

TEST(DesktopServicesTest, WorkAreaLeavesOutWhatTheWindowManagerReserves) {
    ASSERT_EQ(gdk_display_get_default(), nullptr) << "the display was opened too early";
    // tests/with-desktop.sh starts the display at 1280 x 800.
    Rect panelAtTop{0, 24, 1280, 800};
    AnnounceWorkAreaAndOpenDisplay(panelAtTop);
    EXPECT_EQ(GdkDesktop().WorkArea(), panelAtTop);
}

TEST(DesktopServicesTest, ClockShowsTheLocalCalendarTime) {
    g_setenv("TZ", "Asia/Seoul", TRUE);
    tzset();
    auto expected = [] {
        std::time_t now = std::time(nullptr);
        std::tm t{};
        localtime_r(&now, &t);
        return LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
    };
    auto same = [](const LocalTime& a, const LocalTime& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
               a.minute == b.minute && a.second == b.second;
    };
    LocalTime before = expected();
    LocalTime now = LocalClock().Now();
    LocalTime after = expected();
    EXPECT_TRUE(same(now, before) || same(now, after))
        << now.year << "-" << now.month << "-" << now.day << " " << now.hour << ":" << now.minute;
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    g_unsetenv("TZ");
    tzset();
}

TEST(DesktopServicesTest, ModulePathNamesThisProgramAndTheWorkingDirectory) {
    ProcModulePath module;
    std::string exe = module.ExecutablePath();
    EXPECT_TRUE(g_str_has_suffix(exe.c_str(), "/DesktopServicesTest")) << exe;
    EXPECT_TRUE(g_file_test(exe.c_str(), G_FILE_TEST_IS_EXECUTABLE));

    char* saved = g_get_current_dir();
    TempDir dir;
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    EXPECT_EQ(module.WorkingDirectory(), dir.Path() + "/");
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(module.WorkingDirectory(), "/");
    ASSERT_EQ(chdir(saved), 0);
    g_free(saved);
}

// The engine's libraries bind to their own symbols first only while the C
// library's are the ones everybody calls: past a preloaded allocator or a
// sanitizer's they would free memory that is not theirs.
TEST(DesktopServicesTest, EngineModuleBindsItsOwnSymbolsFirstOnlyWithoutStandIns) {
#if defined(__SANITIZE_ADDRESS__)
    const int unchanged = 0;  // the sanitizer's runtime stands in for malloc
#else
    const int unchanged = RTLD_DEEPBIND;
#endif
    const char* saved = std::getenv("LD_PRELOAD");
    const std::string kept = saved ? saved : "";
    const struct {
        const char* preload;
        int deepBind;
    } cases[] = {{nullptr, unchanged}, {"", unchanged}, {"/usr/lib/libjemalloc.so.2", 0}};
    for (const auto& c : cases) {
        if (c.preload)
            g_setenv("LD_PRELOAD", c.preload, TRUE);
        else
            g_unsetenv("LD_PRELOAD");
        const int flags = EngineModuleOpenFlags();
        EXPECT_EQ(flags & RTLD_DEEPBIND, c.deepBind) << (c.preload ? c.preload : "(unset)");
        EXPECT_EQ(flags & (RTLD_NOW | RTLD_LAZY), RTLD_NOW);
    }
    if (saved)
        g_setenv("LD_PRELOAD", kept.c_str(), TRUE);
    else
        g_unsetenv("LD_PRELOAD");
}

TEST(DesktopServicesTest, SoundLogRecordsWhatWouldPlay) {
    TempDir dir;
    std::string log = dir.Path() + "/sounds.log";
    std::string wav = dir.Path() + "/sound2.wav";
    std::ofstream(wav) << "RIFF";
    g_setenv("MURMEL_SOUND_LOG", log.c_str(), TRUE);
    std::unique_ptr<ISound> sound = MakeSound();
    g_unsetenv("MURMEL_SOUND_LOG");

    EXPECT_TRUE(sound->PlayFile(wav));
    EXPECT_FALSE(sound->PlayFile(dir.Path() + "/sound9.wav"));
    EXPECT_FALSE(sound->PlayFile(dir.Path()));
    EXPECT_TRUE(sound->PlayThemeSound("message-new-instant"));
    EXPECT_EQ(ReadAll(log), wav + "\nmessage-new-instant\n");
}

TEST(DesktopServicesTest, PlayingAMissingFileFails) {
    ASSERT_EQ(g_getenv("MURMEL_SOUND_LOG"), nullptr);
    std::unique_ptr<ISound> sound = MakeSound();
    ASSERT_NE(dynamic_cast<CanberraSound*>(sound.get()), nullptr);
    EXPECT_FALSE(sound->PlayFile("/nonexistent/sound/sound1.wav"));
    EXPECT_FALSE(sound->PlayFile(""));
}

}  // namespace
