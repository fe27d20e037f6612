// Writes the new-mail sound: a soft two-note chime (E6 then C6, bell-like decay), 0.6 s of
// 16-bit mono PCM at 22050 Hz in a RIFF WAVE file. Run by the build; the output is the same
// on every run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
constexpr int kRate = 22050;
constexpr double kLength = 0.6;
constexpr double kPi = 3.14159265358979323846;

struct Note {
    double start, freq, amplitude, decay;  // s, Hz, 0..1, 1/s
};

// One bell-like note: the tone with a little of its octave, a 5 ms rise against clicks and
// an exponential fall.
double note(const Note& n, double t) {
    double u = t - n.start;
    if (u < 0) return 0;
    double rise = std::min(1.0, u / 0.005);
    double env = rise * std::exp(-n.decay * u);
    return n.amplitude * env * (std::sin(2 * kPi * n.freq * u) + 0.25 * std::sin(4 * kPi * n.freq * u));
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void tag(std::vector<uint8_t>& out, const char* t) { out.insert(out.end(), t, t + 4); }
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output.wav\n", argv[0]);
        return 2;
    }
    const Note notes[] = {{0.0, 1318.51, 0.30, 9.0}, {0.14, 1046.50, 0.34, 7.0}};
    const int frames = static_cast<int>(kRate * kLength);
    // The last 20 ms fade to silence so the sound never ends on a click.
    const int fadeFrames = kRate / 50;
    std::vector<uint8_t> pcm;
    for (int i = 0; i < frames; ++i) {
        double t = double(i) / kRate, s = 0;
        for (const Note& n : notes) s += note(n, t);
        if (i >= frames - fadeFrames) s *= double(frames - 1 - i) / fadeFrames;
        s = std::max(-1.0, std::min(1.0, s));
        put16(pcm, static_cast<uint16_t>(static_cast<int16_t>(std::lround(s * 32767))));
    }
    std::vector<uint8_t> wav;
    tag(wav, "RIFF");
    put32(wav, static_cast<uint32_t>(36 + pcm.size()));
    tag(wav, "WAVE");
    tag(wav, "fmt ");
    put32(wav, 16);
    put16(wav, 1);  // PCM
    put16(wav, 1);  // mono
    put32(wav, kRate);
    put32(wav, kRate * 2);  // bytes a second
    put16(wav, 2);          // bytes a frame
    put16(wav, 16);         // bits a sample
    tag(wav, "data");
    put32(wav, static_cast<uint32_t>(pcm.size()));
    wav.insert(wav.end(), pcm.begin(), pcm.end());
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(wav.data(), 1, wav.size(), f) != wav.size() || std::fclose(f) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
