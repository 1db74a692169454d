// Synthesises the five alert sounds as 16-bit mono PCM WAV files:
//   make-sounds OUTDIR  writes OUTDIR/sound1.wav .. OUTDIR/sound5.wav
// 1 "Murmel melody", 2 "Murmel original", 3 "Horn", 4 "Piano ambience",
// 5 "Glass wiper".
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Samples = std::vector<double>;

Samples Silence(double seconds) {
    return Samples(static_cast<std::size_t>(seconds * kRate), 0.0);
}

// Adds a tone that starts at `start` seconds: partials of `freq` with their
// weights, an attack and an exponential decay (per second).
void AddTone(Samples& out, double start, double length, double freq,
             const std::vector<double>& partials, double attack, double decay, double level) {
    const std::size_t first = static_cast<std::size_t>(start * kRate);
    const std::size_t count = static_cast<std::size_t>(length * kRate);
    for (std::size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double env = std::min(1.0, t / attack) * std::exp(-decay * t);
        double v = 0.0;
        for (std::size_t p = 0; p < partials.size(); ++p) {
            // Higher partials fade faster, as on struck strings and bars.
            const double fade = std::exp(-decay * 0.6 * static_cast<double>(p) * t);
            v += partials[p] * fade * std::sin(2 * kPi * freq * static_cast<double>(p + 1) * t);
        }
        out[first + i] += level * env * v;
    }
}

// A tone whose pitch glides from f0 to f1 and back, for the bubbles and
// the wiper.
void AddGlide(Samples& out, double start, double length, double f0, double f1, bool back,
              double level, const std::vector<double>& partials) {
    const std::size_t first = static_cast<std::size_t>(start * kRate);
    const std::size_t count = static_cast<std::size_t>(length * kRate);
    double phase = 0.0;
    for (std::size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(count);
        const double shape = back ? std::sin(kPi * x) : x * x * (3 - 2 * x);
        const double f = f0 + (f1 - f0) * shape;
        phase += 2 * kPi * f / kRate;
        const double env = std::sin(kPi * x);
        double v = 0.0;
        for (std::size_t p = 0; p < partials.size(); ++p)
            v += partials[p] * std::sin(phase * static_cast<double>(p + 1));
        out[first + i] += level * env * env * v;
    }
}

double Note(int semitonesFromA4) {
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

Samples Melody() {
    Samples s = Silence(1.0);
    const std::vector<double> bell = {1.0, 0.35, 0.12};
    const int notes[] = {3, 7, 10, 15};  // C5 E5 G5 C6
    for (int i = 0; i < 4; ++i)
        AddTone(s, 0.11 * i, 1.0 - 0.11 * i, Note(notes[i]), bell, 0.006, 4.5, 0.3);
    return s;
}

Samples Original() {
    Samples s = Silence(0.55);
    const std::vector<double> soft = {1.0, 0.2};
    AddGlide(s, 0.0, 0.16, 520, 900, false, 0.5, soft);
    AddGlide(s, 0.17, 0.2, 660, 1180, false, 0.5, soft);
    AddTone(s, 0.36, 0.19, 1180, {1.0, 0.1}, 0.004, 14.0, 0.25);
    return s;
}

Samples Horn() {
    Samples s = Silence(0.85);
    std::vector<double> brass;
    for (int n = 1; n <= 8; ++n) brass.push_back(1.0 / n);
    AddTone(s, 0.0, 0.3, Note(-9), brass, 0.035, 2.0, 0.18);   // C4
    AddTone(s, 0.0, 0.3, Note(-5), brass, 0.035, 2.0, 0.12);   // E4
    AddTone(s, 0.34, 0.5, Note(-2), brass, 0.035, 2.4, 0.18);  // G4
    AddTone(s, 0.34, 0.5, Note(3), brass, 0.035, 2.4, 0.10);   // C5
    return s;
}

Samples Piano() {
    Samples s = Silence(1.45);
    const std::vector<double> piano = {1.0, 0.5, 0.25, 0.12, 0.06};
    const int chord[] = {-9, -5, -2, 2};  // C4 E4 G4 B4
    for (int i = 0; i < 4; ++i) {
        AddTone(s, 0.03 * i, 1.45 - 0.03 * i, Note(chord[i]), piano, 0.004, 2.2, 0.16);
        // A slightly detuned twin string gives the room its shimmer.
        AddTone(s, 0.03 * i, 1.45 - 0.03 * i, Note(chord[i]) * 1.0015, piano, 0.004, 2.2, 0.08);
    }
    AddTone(s, 0.45, 1.0, Note(14), {1.0, 0.2}, 0.01, 3.0, 0.10);  // B5 above
    return s;
}

Samples GlassWiper() {
    Samples s = Silence(0.8);
    const std::vector<double> glass = {1.0, 0.0, 0.3};
    AddGlide(s, 0.0, 0.35, 1400, 2300, true, 0.28, glass);
    AddGlide(s, 0.3, 0.35, 1500, 2500, true, 0.28, glass);
    // The ring of the glass after the wipe.
    AddTone(s, 0.55, 0.25, 2637, {1.0, 0.0, 0.0, 0.15}, 0.003, 12.0, 0.18);
    return s;
}

bool WriteWav(const std::string& path, Samples samples) {
    double peak = 0.0;
    for (double v : samples) peak = std::max(peak, std::fabs(v));
    const double gain = peak > 0 ? 0.5 / peak : 0.0;  // about -6 dBFS
    const std::size_t fade = kRate / 200;             // 5 ms at both ends
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double g = gain;
        if (i < fade) g *= static_cast<double>(i) / fade;
        if (samples.size() - i <= fade) g *= static_cast<double>(samples.size() - i - 1) / fade;
        samples[i] *= g;
    }
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&out](std::uint32_t v) {
        const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        out.write(b, 4);
    };
    auto u16 = [&out](std::uint16_t v) {
        const char b[2] = {char(v), char(v >> 8)};
        out.write(b, 2);
    };
    const std::uint32_t bytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    for (double v : samples) {
        const double c = std::clamp(v, -1.0, 1.0) * 32767.0;
        u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(c))));
    }
    return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sounds OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::function<Samples()> sounds[] = {Melody, Original, Horn, Piano, GlassWiper};
    for (int i = 0; i < 5; ++i) {
        const std::string path = dir + "/sound" + std::to_string(i + 1) + ".wav";
        if (!WriteWav(path, sounds[i]())) {
            std::fprintf(stderr, "make-sounds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
