#include "platform/linux/IniProfileFile.h"

#include <glib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "config/ProfileText.h"
#include "config/Settings.h"

std::string IniProfileFile::Read(const std::string& path, const std::string& section,
                                 const std::string& key) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ProfileValue(text.str(), section, key);
}

std::string IniProfileFile::Locate(const std::string& moduleDirectory) {
    // Not GLib's cached list: the variable as it is now.
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    return FindConfigIni(moduleDirectory, dirs ? dirs : "", [](const std::string& path) {
        return g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR) != FALSE;
    });
}
