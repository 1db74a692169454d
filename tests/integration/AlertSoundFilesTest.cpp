// The five alert sounds the build synthesises: playable 16-bit PCM, of a
// length that suits an alert, and each one different.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Wav {
    std::uint16_t format = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t Le(const std::string& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Reads the chunks of a RIFF WAVE file; fails the test when it is not one.
Wav Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav wav;
    EXPECT_GE(b.size(), 44u) << path;
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        ADD_FAILURE() << path << " is no RIFF WAVE file";
        return wav;
    }
    EXPECT_EQ(Le(b, 4, 4), b.size() - 8);
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const std::uint32_t size = Le(b, at + 4, 4);
        if (at + 8 + size > b.size()) break;
        if (id == "fmt ") {
            wav.format = Le(b, at + 8, 2);
            wav.channels = Le(b, at + 10, 2);
            wav.rate = Le(b, at + 12, 4);
            wav.bits = Le(b, at + 22, 2);
        } else if (id == "data") {
            for (std::size_t i = 0; i + 1 < size; i += 2)
                wav.samples.push_back(static_cast<std::int16_t>(Le(b, at + 8 + i, 2)));
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

}  // namespace

TEST(AlertSoundFiles, FiveDistinctShortPcmSounds) {
    std::vector<std::vector<std::int16_t>> all;
    for (int n = 1; n <= 5; ++n) {
        const std::string path =
            std::string(MURMEL_BINARY_DIR) + "/sound/sound" + std::to_string(n) + ".wav";
        SCOPED_TRACE(path);
        const Wav wav = Read(path);
        EXPECT_EQ(wav.format, 1);
        EXPECT_EQ(wav.bits, 16);
        ASSERT_GT(wav.rate, 0u);
        ASSERT_GT(wav.channels, 0);
        const double seconds = static_cast<double>(wav.samples.size()) / wav.channels / wav.rate;
        EXPECT_GE(seconds, 0.3);
        EXPECT_LE(seconds, 1.5);
        int peak = 0;
        for (std::int16_t s : wav.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        // Audible, yet with headroom: no clipping.
        EXPECT_GT(peak, 8000);
        EXPECT_LT(peak, 32000);
        // Starts and ends quietly, so it does not click.
        ASSERT_FALSE(wav.samples.empty());
        EXPECT_LT(std::abs(wav.samples.front()), 200);
        EXPECT_LT(std::abs(wav.samples.back()), 200);
        for (const auto& other : all) EXPECT_NE(other, wav.samples);
        all.push_back(wav.samples);
    }
}
