#include "platform/linux/EnvDisplayLanguage.h"

#include <cstdlib>

#include "config/DisplayLanguage.h"

unsigned EnvDisplayLanguage::LanguageId() {
    return LanguageIdFromEnvironment([](const char* name) { return std::getenv(name); });
}

std::vector<unsigned> EnvDisplayLanguage::LanguageIds() {
    return LanguageIdsFromEnvironment([](const char* name) { return std::getenv(name); });
}
