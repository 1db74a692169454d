#include "platform/linux/IniProfileFile.h"

#include <fstream>
#include <sstream>

#include "config/ProfileText.h"

std::string IniProfileFile::Read(const std::string& path, const std::string& section,
                                 const std::string& key) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ProfileValue(text.str(), section, key);
}
