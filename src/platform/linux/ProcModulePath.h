#pragma once
// The module-path port: the executable from /proc, the working directory.
#include "platform/System.h"

class ProcModulePath : public IModulePath {
public:
    std::string ExecutablePath() override;
    std::string WorkingDirectory() override;
};
