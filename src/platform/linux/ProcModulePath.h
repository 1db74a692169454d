#pragma once
// The module-path port: the executable from /proc, the working directory.
#include "platform/System.h"

class ProcModulePath : public IModulePath {
public:
    // Where the executable was started from, also after the file there was
    // removed or replaced while the program runs.
    std::string ExecutablePath() override;
    std::string WorkingDirectory() override;
};
