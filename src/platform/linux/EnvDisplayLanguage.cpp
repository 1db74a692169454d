#include "platform/linux/EnvDisplayLanguage.h"

#include <cstdlib>

#include "config/DisplayLanguage.h"

unsigned EnvDisplayLanguage::LanguageId() {
    return LanguageIdFromEnvironment([](const char* name) { return std::getenv(name); });
}
