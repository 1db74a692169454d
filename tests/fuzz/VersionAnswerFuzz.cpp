// Reads arbitrary bytes as the version service's answer.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/VersionAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    VersionInfo info;
    info.newversion = "default";
    ReadVersionAnswer(text, info);
    if ((info.uptodate != 0 && info.uptodate != 1) || (info.critical != 0 && info.critical != 1))
        std::abort();
    return 0;
}
