#include "notify/AlertSound.h"

#include <cmath>
#include <cstdlib>

std::string AlertSoundFile(const std::string& soundIndex) {
    int n = 1;
    if (!soundIndex.empty()) {
        const double value = std::strtod(soundIndex.c_str(), nullptr) + 1.0;
        // An index far outside the range names no file; keep the number
        // representable.
        if (std::isfinite(value) && std::fabs(value) < 1e6) n = static_cast<int>(value);
    }
    return "sound/sound" + std::to_string(n) + ".wav";
}

void PlayAlertSound(ISound& sound, IModulePath& module, const std::string& soundIndex,
                    const std::vector<std::string>& dataDirectories) {
    const std::string file = AlertSoundFile(soundIndex);
    if (sound.PlayFile(module.WorkingDirectory() + file)) return;
    for (std::string dir : dataDirectories) {
        if (dir.empty()) continue;
        if (dir.back() != '/') dir += '/';
        if (sound.PlayFile(dir + file)) return;
    }
    sound.PlayThemeSound(kFallbackThemeSound);
}

namespace {

// `base` joined with the relative `path`, its "." and ".." resolved by
// name. The executable's directory comes from the kernel with links
// resolved, so names resolve as the file system would.
std::string JoinResolved(const std::string& base, const std::string& path) {
    std::vector<std::string> parts;
    auto add = [&parts](const std::string& text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('/', start);
            if (end == std::string::npos) end = text.size();
            const std::string part = text.substr(start, end - start);
            start = end + 1;
            if (part.empty() || part == ".") continue;
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else {
                parts.push_back(part);
            }
        }
    };
    add(base);
    add(path);
    std::string joined;
    for (const std::string& part : parts) joined += "/" + part;
    return joined.empty() ? "/" : joined;
}

}  // namespace

std::vector<std::string> InstalledDataDirectories(IModulePath& module) {
    std::vector<std::string> dirs;
    const std::string executable = module.ExecutablePath();
    const auto slash = executable.rfind('/');
    if (!executable.empty() && executable[0] == '/' && slash != std::string::npos)
        dirs.push_back(JoinResolved(executable.substr(0, slash), MURMEL_DATA_DIR_FROM_BIN));
    const std::string configured = MURMEL_DATA_DIR;
    if (dirs.empty() || dirs.front() != configured) dirs.push_back(configured);
    return dirs;
}
