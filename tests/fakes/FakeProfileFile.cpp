#include "fakes/FakeProfileFile.h"

#include "config/ProfileText.h"

std::string FakeProfileFile::Read(const std::string& path, const std::string& section,
                                  const std::string& key) {
    ++reads;
    const auto it = files.find(path);
    return it == files.end() ? std::string() : ProfileValue(it->second, section, key);
}
