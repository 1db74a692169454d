// The start-with-the-desktop entry as real files in a fresh XDG config
// folder: what Save writes, that the desktop accepts and starts it, and
// what counts as an entry when reading.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/linux/XdgAutostart.h"
#include "settings/SaveAutostart.h"

namespace {

namespace fs = std::filesystem;

class ModuleAt : public IModulePath {
public:
    explicit ModuleAt(std::string path) : m_path(std::move(path)) {}
    std::string ExecutablePath() override { return m_path; }
    std::string WorkingDirectory() override { return "/"; }

private:
    std::string m_path;
};

std::string ConfigHome() {
    const char* home = std::getenv("XDG_CONFIG_HOME");
    return home ? home : "";
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    g_mkdir_with_parents(g_path_get_dirname(path.c_str()), 0700);
    std::ofstream(path) << text;
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    if (GDir* d = g_dir_open(dir.c_str(), 0, nullptr)) {
        while (const char* name = g_dir_read_name(d)) names.push_back(name);
        g_dir_close(d);
    }
    return names;
}

// A stand-in program in `dir` that leaves a mark beside itself when it runs.
std::string MakeProgram(const std::string& dir, const std::string& name) {
    g_mkdir_with_parents(dir.c_str(), 0700);
    const std::string path = dir + "/" + name;
    // The mark appears whole: written aside, then renamed.
    WriteAll(path, "#!/bin/sh\necho \"$#\" > \"$0.part\" && mv \"$0.part\" \"$0.started\"\n");
    g_chmod(path.c_str(), 0755);
    return path;
}

// Runs desktop-file-validate on the entry; its output when it refuses.
bool Validates(const std::string& entry, std::string& output) {
    gchar* out = nullptr;
    gint status = 0;
    const gchar* argv[] = {"desktop-file-validate", entry.c_str(), nullptr};
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                                  nullptr, nullptr, &out, nullptr, &status, nullptr);
    output = out ? out : "";
    g_free(out);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

// Starts the entry as the desktop does at log-on and waits for the mark.
std::string LaunchAndWaitForMark(const std::string& entry, const std::string& program) {
    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entry.c_str());
    if (!info) return "entry not loadable";
    GError* error = nullptr;
    const bool launched = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
    g_object_unref(info);
    if (!launched) {
        std::string message = error->message;
        g_error_free(error);
        return message;
    }
    const std::string mark = program + ".started";
    for (int i = 0; i < 200 && !g_file_test(mark.c_str(), G_FILE_TEST_EXISTS); ++i) g_usleep(50000);
    return ReadAll(mark);
}

class XdgAutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ConfigHome().empty()) << "run through with-desktop.sh";
        g_unlink(entry.c_str());
    }
    const std::string entry = ConfigHome() + "/autostart/murmel-alarm.desktop";
    XdgAutostart autostart;
};

TEST_F(XdgAutostartTest, LivesInTheUsersAutostartFolder) {
    EXPECT_EQ(autostart.EntryPath(), entry);
    EXPECT_EQ(autostart.ReadRunEntry(), "");
}

TEST_F(XdgAutostartTest, SaveCheckedWritesAValidEntryThatStartsTheProgram) {
    const std::string program = MakeProgram(ConfigHome() + "/../data/plain", "murmel-alarm");
    ModuleAt module(program);
    SaveAutostart(autostart, module, true);

    const std::string text = ReadAll(entry);
    EXPECT_NE(text.find("Name=Murmel Alarm\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec=" + program + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Icon=com.ostrand.MurmelAlarm\n"), std::string::npos) << text;
    std::string complaints;
    EXPECT_TRUE(Validates(entry, complaints)) << complaints;
    EXPECT_EQ(autostart.ReadRunEntry(), program);
    // No temporary file is left beside the entry.
    EXPECT_EQ(FilesIn(ConfigHome() + "/autostart"),
              std::vector<std::string>{"murmel-alarm.desktop"});
    // Started with no arguments, as at any other start.
    EXPECT_EQ(LaunchAndWaitForMark(entry, program), "0\n");

    SaveAutostart(autostart, module, false);
    EXPECT_FALSE(g_file_test(entry.c_str(), G_FILE_TEST_EXISTS));
    EXPECT_EQ(autostart.ReadRunEntry(), "");
    // Unchecked again with no entry: nothing to do, nothing fails.
    SaveAutostart(autostart, module, false);
    EXPECT_TRUE(autostart.DeleteRunEntry());
}

TEST_F(XdgAutostartTest, PathsWithSpacesAndReservedCharactersSurvive) {
    const std::string dirs[] = {
        ConfigHome() + "/../data/Murmel Alarm",
        ConfigHome() + "/../data/it's \"quoted\" $HOME `x` \\ (1) #2 & <a|b>; ~c*?",
    };
    for (const std::string& dir : dirs) {
        SCOPED_TRACE(dir);
        const std::string program = MakeProgram(dir, "murmel alarm");
        ModuleAt module(program);
        SaveAutostart(autostart, module, true);
        std::string complaints;
        EXPECT_TRUE(Validates(entry, complaints)) << complaints << ReadAll(entry);
        EXPECT_EQ(LaunchAndWaitForMark(entry, program), "0\n") << ReadAll(entry);
        EXPECT_FALSE(autostart.ReadRunEntry().empty());
    }
}

TEST_F(XdgAutostartTest, APercentSignIsWrittenAsTheEntryFormatWantsIt) {
    // GLib looks for the program before it turns %% back into %, so GLib
    // desktops cannot start such a path; the entry is still a valid one.
    const std::string program = MakeProgram(ConfigHome() + "/../data/50% off", "murmel-alarm");
    ModuleAt module(program);
    SaveAutostart(autostart, module, true);
    std::string complaints;
    EXPECT_TRUE(Validates(entry, complaints)) << complaints;
    EXPECT_NE(ReadAll(entry).find("50%% off"), std::string::npos) << ReadAll(entry);
}

TEST_F(XdgAutostartTest, AnyHandWrittenCommandCountsAsAnEntry) {
    WriteAll(entry, "[Desktop Entry]\nType=Application\nName=Mine\nExec=anything at all\n");
    EXPECT_EQ(autostart.ReadRunEntry(), "anything at all");

    WriteAll(entry, "[Desktop Entry]\nType=Application\nName=Mine\nExec=\n");
    EXPECT_EQ(autostart.ReadRunEntry(), "");
    WriteAll(entry, "[Desktop Entry]\nType=Application\nName=Mine\n");
    EXPECT_EQ(autostart.ReadRunEntry(), "");
    WriteAll(entry, "not a desktop entry at all\x01\n");
    EXPECT_EQ(autostart.ReadRunEntry(), "");
}

TEST_F(XdgAutostartTest, AFailedWriteIsReported) {
    // The folder's place is taken by a file: not even root can write there.
    const std::string blocked = ConfigHome() + "/blocked";
    WriteAll(blocked, "a file, not a folder\n");
    XdgAutostart elsewhere(blocked + "/murmel-alarm.desktop");
    EXPECT_FALSE(elsewhere.WriteRunEntry("/opt/murmel/murmel-alarm"));
    EXPECT_EQ(elsewhere.ReadRunEntry(), "");
    // Nor is an entry written for a path that names no program.
    const std::string dir = ConfigHome() + "/../data/not-programs";
    WriteAll(dir + "/plain-file", "#!/bin/sh\n");
    for (const std::string& path : {std::string(), dir + "/missing", dir, dir + "/plain-file"})
        EXPECT_FALSE(autostart.WriteRunEntry(path)) << path;
    EXPECT_FALSE(g_file_test(entry.c_str(), G_FILE_TEST_EXISTS));
}

TEST_F(XdgAutostartTest, AnEntrySwitchedOffInTheDesktopReadsAsNoneAndStaysOff) {
    const std::pair<const char*, bool> cases[] = {
        // Values that are no boolean count as the desktop session reads them.
        {"Hidden=true", true},
        {"Hidden=yes", false},
        {"X-GNOME-Autostart-enabled=false", true},
        {"X-GNOME-Autostart-enabled=off", true},
        {"X-GNOME-Autostart-enabled=true", false},
        {"X-GNOME-Autostart-enabled=true\nHidden=true", true},
    };
    const std::string program = MakeProgram(ConfigHome() + "/../data/switch", "murmel-alarm");
    ModuleAt module(program);
    for (const auto& [line, disabled] : cases) {
        SCOPED_TRACE(line);
        const std::string text =
            "[Desktop Entry]\nType=Application\nName=Murmel Alarm\n"
            "Exec=/opt/murmel/murmel-alarm\n" +
            std::string(line) + "\n";
        WriteAll(entry, text);
        EXPECT_EQ(autostart.ReadRunEntry(), disabled ? "" : "/opt/murmel/murmel-alarm");
        // Saved unticked, a switched-off entry stays as the user left it.
        SaveAutostart(autostart, module, false);
        EXPECT_EQ(ReadAll(entry), disabled ? text : "");
        // Ticked again, it is switched on.
        SaveAutostart(autostart, module, true);
        EXPECT_EQ(autostart.ReadRunEntry(), program);
    }
}

// Copies the probe to `path`; renamed into place, as a package manager
// puts a new file over the old.
void InstallProbe(const std::string& path) {
    fs::copy_file(MODULE_PATH_PROBE, path + ".new");
    fs::rename(path + ".new", path);
}

TEST_F(XdgAutostartTest, TheEntryNeverNamesARemovedExecutable) {
    // What happens to the running program's file: nothing, an upgrade, removal.
    const char* fates[] = {"kept", "upgraded", "removed"};
    const std::string data = fs::canonical(ConfigHome() + "/..").string() + "/data";
    const std::string earlier = "[Desktop Entry]\nType=Application\nName=Old\nExec=/old/place\n";
    for (const std::string fate : fates) {
        SCOPED_TRACE(fate);
        const std::string program = data + "/" + fate + "/murmel-alarm";
        fs::create_directories(data + "/" + fate);
        InstallProbe(program);
        WriteAll(entry, earlier);

        const gchar* argv[] = {program.c_str(), nullptr};
        int in = -1, out = -1;
        ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(argv), nullptr,
                                             G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &in, &out,
                                             nullptr, nullptr));
        if (fate != "kept") fs::remove(program);
        if (fate == "upgraded") InstallProbe(program);
        ASSERT_EQ(write(in, "go\n", 3), 3);
        close(in);
        std::string printed;
        char buffer[4096];
        for (ssize_t got; (got = read(out, buffer, sizeof buffer)) > 0;)
            printed.append(buffer, got);
        close(out);

        EXPECT_EQ(printed, program + "\n");
        // With nothing left to start, the earlier entry stays as it was.
        if (fate == "removed") {
            EXPECT_EQ(ReadAll(entry), earlier);
        } else {
            EXPECT_EQ(autostart.ReadRunEntry(), program);
        }
    }
}

TEST(ExecQuotingTest, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(QuoteExecArgument("/opt/murmel/murmel-alarm"), "/opt/murmel/murmel-alarm");
    EXPECT_EQ(QuoteExecArgument("/opt/my apps/murmel"), "\"/opt/my apps/murmel\"");
    EXPECT_EQ(QuoteExecArgument("/a\"b$c`d\\e"), "\"/a\\\"b\\$c\\`d\\\\e\"");
    EXPECT_EQ(QuoteExecArgument("/opt/100%/murmel"), "/opt/100%%/murmel");
    EXPECT_EQ(QuoteExecArgument("/opt/a;b"), "\"/opt/a;b\"");
}

}  // namespace
