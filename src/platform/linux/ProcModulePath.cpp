#include "platform/linux/ProcModulePath.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

std::string ProcModulePath::ExecutablePath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        // A result that fills the buffer may have been cut short.
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProcModulePath::WorkingDirectory() {
    std::vector<char> buffer(PATH_MAX);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    std::string dir = buffer.data();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}
