#include "platform/linux/ProcModulePath.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kSelf = "/proc/self/exe";

std::string LinkTarget() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t n = readlink(kSelf, buffer.data(), buffer.size());
        if (n < 0) return {};
        // A result that fills the buffer may have been cut short.
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string ProcModulePath::ExecutablePath() {
    std::string path = LinkTarget();
    // Once the running file is removed or replaced, as a package upgrade
    // does, the kernel marks its name; the place it was started from is
    // still where the program lives. A file whose name merely ends so
    // still has links.
    constexpr std::string_view kDeleted = " (deleted)";
    struct stat self {};
    if (path.size() > kDeleted.size() &&
        std::string_view(path).substr(path.size() - kDeleted.size()) == kDeleted &&
        stat(kSelf, &self) == 0 && self.st_nlink == 0)
        path.resize(path.size() - kDeleted.size());
    return path;
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
