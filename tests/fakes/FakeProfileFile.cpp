#include "fakes/FakeProfileFile.h"

#include "config/ProfileText.h"
#include "config/Settings.h"

std::string FakeProfileFile::Read(const std::string& path, const std::string& section,
                                  const std::string& key) {
    ++reads;
    const auto it = files.find(path);
    return it == files.end() ? std::string() : ProfileValue(it->second, section, key);
}

std::string FakeProfileFile::Locate(const std::string& moduleDirectory) {
    return FindConfigIni(moduleDirectory, configDirs,
                         [this](const std::string& path) { return files.count(path) > 0; });
}
