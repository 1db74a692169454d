#pragma once
// The display language from the locale environment, read on every call so a
// change applies to texts loaded afterwards.
#include "platform/System.h"

class EnvDisplayLanguage : public IDisplayLanguage {
public:
    unsigned LanguageId() override;
    std::vector<unsigned> LanguageIds() override;
};
