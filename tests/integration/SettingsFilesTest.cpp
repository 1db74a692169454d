// Settings against real files: the key file under a fresh XDG_CONFIG_HOME
// and a config.ini in a directory standing in for the executable's.
#include <glib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "config/Settings.h"
#include "platform/linux/IniProfileFile.h"
#include "platform/linux/KeyFileStore.h"

namespace fs = std::filesystem;

namespace {

class InstalledAt : public IModulePath {
public:
    explicit InstalledAt(fs::path dir) : m_dir(std::move(dir)) {}
    std::string ExecutablePath() override { return (m_dir / "murmel-alarm").string(); }
    std::string WorkingDirectory() override { return m_dir.string() + "/"; }

private:
    fs::path m_dir;
};

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("XDG_CONFIG_HOME");
        ASSERT_NE(base, nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_root = fs::path(base).parent_path() / "settings-test" / info->name();
        fs::remove_all(m_root);
        fs::create_directories(m_root / "config");
        fs::create_directories(m_root / "bin");
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        // No config.ini of the machine's own takes part.
        setenv("XDG_CONFIG_DIRS", (m_root / "xdg").c_str(), 1);
    }

    void TearDown() override { setenv("XDG_CONFIG_HOME", (m_root / "..").c_str(), 1); }

    AppSettingsRecord Load() {
        KeyFileStore store;
        IniProfileFile profile;
        InstalledAt module(m_root / "bin");
        AppSettingsRecord settings;
        LoadSettings(store, profile, module, settings);
        return settings;
    }

    fs::path StoreFile() const { return m_root / "config" / "OSTRAND" / "Murmel Alarm.conf"; }
    fs::path BadFile() const { return m_root / "config" / "OSTRAND" / "Murmel Alarm.conf.bad"; }
    fs::path ConfigIni() const { return m_root / "bin" / "config.ini"; }

    // The values in the key file as another program would read them.
    std::map<std::string, std::string> StoredValues() const {
        std::map<std::string, std::string> values;
        GKeyFile* file = g_key_file_new();
        if (g_key_file_load_from_file(file, StoreFile().c_str(), G_KEY_FILE_NONE, nullptr)) {
            gchar** keys = g_key_file_get_keys(file, KeyFileStore::kGroup, nullptr, nullptr);
            for (gchar** k = keys; k && *k; ++k) {
                gchar* v = g_key_file_get_string(file, KeyFileStore::kGroup, *k, nullptr);
                values[*k] = v ? v : "<unreadable>";
                g_free(v);
            }
            g_strfreev(keys);
        }
        g_key_file_free(file);
        return values;
    }

    fs::path m_root;
};

TEST_F(SettingsFiles, FirstRunWithoutConfigIniCreatesAPrivateFileOfDefaults) {
    const AppSettingsRecord s = Load();
    EXPECT_EQ(s.configPath, ConfigIni().string());
    EXPECT_TRUE(s.alertSound);
    EXPECT_EQ(s.soundIndex, "0");
    EXPECT_EQ(s.webClientBaseUrl, MURMEL_WEB_URL);
    EXPECT_EQ(s.pushPort, 5223);

    const std::map<std::string, std::string> expected = {
        {"language", "en"}, {"alert", ""},         {"sound", ""},
        {"preview", ""},    {"web_url", ""},       {"prov_ip", ""},
        {"prov_port", ""},  {"re_email", "FALSE"}, {"email", ""}};
    EXPECT_EQ(StoredValues(), expected);
    struct stat st {};
    ASSERT_EQ(stat(StoreFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsFiles, ConfigIniSeedsTheFirstRunAndIsIgnoredAfterwards) {
    WriteFile(ConfigIni(),
              "; deployment values\r\n[Sound]\r\nALERT = false\r\nsound=4\r\n"
              "[etc]\r\nre_email=TrUe\r\nemail = me@example.test \r\n"
              "web_url=Web.Example.TEST/Plugin\r\nprov_ip=push.example.test\r\nprov_port=12ab\r\n");
    AppSettingsRecord s = Load();
    EXPECT_FALSE(s.alertSound);
    EXPECT_EQ(s.soundIndex, "4");
    EXPECT_TRUE(s.rememberEmail);
    EXPECT_EQ(s.savedEmail, "me@example.test");
    EXPECT_EQ(s.webClientBaseUrl, "http://web.example.test/Plugin");
    EXPECT_EQ(s.pushHost, "push.example.test");
    EXPECT_EQ(s.pushPort, 12);
    EXPECT_EQ(StoredValues()["re_email"], "TrUe");

    WriteFile(ConfigIni(), "[SOUND]\nalert=true\nsound=1\n[ETC]\nre_email=false\nprov_port=1\n");
    s = Load();
    EXPECT_FALSE(s.alertSound);
    EXPECT_EQ(s.soundIndex, "4");
    EXPECT_TRUE(s.rememberEmail);
    EXPECT_EQ(s.savedEmail, "me@example.test");
    EXPECT_EQ(s.pushPort, 12);
}

TEST_F(SettingsFiles, WithoutOneBesideTheExecutableTheSystemConfigIniSeeds) {
    fs::create_directories(m_root / "xdg2" / "murmel-alarm");
    fs::create_directories(m_root / "xdg3" / "murmel-alarm");
    WriteFile(m_root / "xdg2" / "murmel-alarm" / "config.ini", "[ETC]\nweb_url=http://second\n");
    WriteFile(m_root / "xdg3" / "murmel-alarm" / "config.ini", "[ETC]\nweb_url=http://third\n");
    // A directory by that name is no file.
    fs::create_directories(m_root / "xdg1" / "murmel-alarm" / "config.ini");
    const std::string dirs = (m_root / "xdg1").string() + ":" + (m_root / "xdg2").string() + ":" +
                             (m_root / "xdg3").string();
    setenv("XDG_CONFIG_DIRS", dirs.c_str(), 1);
    AppSettingsRecord s = Load();
    EXPECT_EQ(s.configPath, (m_root / "xdg2" / "murmel-alarm" / "config.ini").string());
    EXPECT_EQ(s.webClientBaseUrl, "http://second");

    // One beside the executable wins, for a new user as before.
    fs::remove_all(m_root / "config");
    WriteFile(ConfigIni(), "[ETC]\nweb_url=http://beside\n");
    s = Load();
    EXPECT_EQ(s.configPath, ConfigIni().string());
    EXPECT_EQ(s.webClientBaseUrl, "http://beside");
}

TEST_F(SettingsFiles, WebUrlForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"HTTPS://Web.Example.Test/", "https://web.example.test/"},
        {"myhttphost.example", "http://myhttphost.example"},
        {"Web.Example.Test", "http://web.example.test"},
    };
    for (const auto& [value, expected] : cases) {
        fs::remove(StoreFile());
        WriteFile(ConfigIni(), std::string("[ETC]\nweb_url=") + value + "\n");
        EXPECT_EQ(Load().webClientBaseUrl, expected) << value;
    }
}

TEST_F(SettingsFiles, RememberOffErasesTheStoredEmail) {
    KeyFileStore store;
    ASSERT_TRUE(store.Write("re_email", "FALSE"));
    ASSERT_TRUE(store.Write("email", "me@example.test"));
    EXPECT_EQ(Load().savedEmail, "");
    EXPECT_EQ(StoredValues()["email"], "");
}

TEST_F(SettingsFiles, ValuesRoundTripAndUnreadableOnesAreReseeded) {
    KeyFileStore store;
    const std::string tricky = "  lead\nline\\two \xE2\x80\x99 # not a comment ";
    ASSERT_TRUE(store.Write("email", tricky));
    EXPECT_EQ(KeyFileStore().Read("email"), tricky);
    EXPECT_EQ(store.Read("absent"), std::nullopt);

    // A value that is not UTF-8 or longer than the store holds counts as
    // missing and is replaced from config.ini; the other values survive.
    WriteFile(StoreFile(), "[Murmel Alarm]\nsound=\xFF\xFE\nprov_ip=" + std::string(1100, 'a') +
                               "\nalert=false\n");
    WriteFile(ConfigIni(), "[SOUND]\nsound=2\n[ETC]\nprov_ip=seed.example.test\n");
    const AppSettingsRecord s = Load();
    EXPECT_EQ(s.soundIndex, "2");
    EXPECT_EQ(s.pushHost, "seed.example.test");
    EXPECT_FALSE(s.alertSound);
    EXPECT_EQ(StoredValues()["sound"], "2");
}

TEST_F(SettingsFiles, LongConfigIniValuesAreReadWhole) {
    const std::string host = std::string(600, 'h') + ".example.test";
    WriteFile(ConfigIni(), "[ETC]\nprov_ip=" + host + "\n");
    EXPECT_EQ(Load().pushHost, host);
}

// The file's inode and content: a rewrite always makes a new inode.
std::pair<ino_t, std::string> Identify(const fs::path& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return {st.st_ino, ReadFile(path)};
}

TEST_F(SettingsFiles, AWholeFileIsNeverRewrittenByReadingIt) {
    fs::create_directories(StoreFile().parent_path());
    WriteFile(StoreFile(),
              "# by hand\n[Other]\nx=1\n[Murmel Alarm]\nlanguage=de\nalert=\nsound=2\npreview=\n"
              "web_url=\nprov_ip=\nprov_port=\nre_email=false\nemail=\n");
    const auto before = Identify(StoreFile());
    EXPECT_EQ(Load().soundIndex, "2");
    EXPECT_EQ(Identify(StoreFile()), before);
    EXPECT_FALSE(fs::exists(BadFile()));
}

TEST_F(SettingsFiles, ADamagedFileLosesNothingItCanRead) {
    const struct {
        std::string text;
        std::map<std::string, std::string> kept;
    } cases[] = {
        {"[Murmel Alarm]\nemail=\nsound=3\npreview=FALSE\nno equals sign here\n",
         {{"email", ""}, {"sound", "3"}, {"preview", "FALSE"}}},
        {"\x01\xff\r\n[Other]\r\nsound=9\r\n[Murmel Alarm]\r\n email = \\sme@example.test\\t\r\n"
         "sound=1\r\n;not a comment\r\nsound=4\r\n[Other]\r\nalert=x\r\n",
         {{"email", " me@example.test\t"}, {"sound", "4"}}},
    };
    fs::create_directories(StoreFile().parent_path());
    WriteFile(BadFile(), "an older damaged file");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFile(StoreFile(), c.text);
        const auto before = Identify(StoreFile());
        for (const auto& [key, value] : c.kept) EXPECT_EQ(KeyFileStore().Read(key), value) << key;
        // Storing what it holds is no reason to rewrite it either.
        EXPECT_TRUE(KeyFileStore().Write("sound", c.kept.at("sound")));
        EXPECT_EQ(Identify(StoreFile()), before);

        // The first real write keeps the damaged file whole beside the new one.
        ASSERT_TRUE(KeyFileStore().Write("prov_ip", "push.example.test"));
        EXPECT_EQ(ReadFile(BadFile()), c.text);
        EXPECT_EQ(fs::status(BadFile()).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write);
        auto expected = c.kept;
        expected["prov_ip"] = "push.example.test";
        EXPECT_EQ(StoredValues(), expected);
    }
}

TEST_F(SettingsFiles, NoRewriteWhenTheDamagedFileCannotBeKept) {
    fs::create_directories(BadFile() / "full");  // a folder stands in the copy's way
    const std::string damaged = "[Murmel Alarm]\nsound=3\nbroken\n";
    WriteFile(StoreFile(), damaged);
    EXPECT_FALSE(KeyFileStore().Write("sound", "1"));
    EXPECT_FALSE(KeyFileStore().Delete("sound"));
    EXPECT_EQ(ReadFile(StoreFile()), damaged);
}

// A write that cannot complete, because the disk is full or the process is
// killed half-way, must leave the previous file whole and readable.
class SettingsCrashSafety : public SettingsFiles {
protected:
    void StoreSome() {
        KeyFileStore store;
        ASSERT_TRUE(store.Write("language", "en"));
        ASSERT_TRUE(store.Write("email", "before@example.test"));
        ASSERT_TRUE(store.Write("alert", "false"));
        m_before = ReadFile(StoreFile());
    }

    std::vector<std::string> TemporaryFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(StoreFile().parent_path())) {
            if (entry.path() != StoreFile()) names.push_back(entry.path().filename());
        }
        return names;
    }

    std::string m_before;
};

TEST_F(SettingsCrashSafety, FullDiskKeepsThePreviousFile) {
    StoreSome();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Any file larger than 1 KiB now fails as on a full disk.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024, 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        KeyFileStore store;
        _exit(store.Write("email", std::string(4000, 'x')) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";

    EXPECT_EQ(ReadFile(StoreFile()), m_before);
    EXPECT_EQ(KeyFileStore().Read("email"), "before@example.test");
    EXPECT_EQ(KeyFileStore().Read("alert"), "false");
    EXPECT_TRUE(TemporaryFiles().empty());
}

TEST_F(SettingsCrashSafety, WriterKilledMidWriteLeavesOldOrNewFileWhole) {
    StoreSome();
    // Killed at the first sign of writing in the directory: a temporary file
    // appearing, or the settings file itself being changed.
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, StoreFile().parent_path().c_str(), IN_CREATE | IN_MODIFY),
              0);
    const std::string big(8 << 20, 'n');
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(KeyFileStore().Write("email", big) ? 0 : 1);
    char events[4096];
    ASSERT_GT(read(watch, events, sizeof events), 0);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(watch);

    KeyFileStore store;
    const auto email = store.Read("email");
    ASSERT_TRUE(email.has_value()) << "the settings file was left unreadable";
    EXPECT_TRUE(*email == "before@example.test" || *email == big)
        << email->substr(0, 40) << "... (" << email->size() << " bytes)";
    EXPECT_EQ(store.Read("language"), "en");
    EXPECT_EQ(store.Read("alert"), "false");
    // The next write succeeds in spite of any temporary file left behind.
    EXPECT_TRUE(store.Write("email", "after@example.test"));
    EXPECT_EQ(KeyFileStore().Read("email"), "after@example.test");
}

}  // namespace
