// musicbands: reads an MP3 through the show's own decoder and spectrum code
// and prints, per pattern of the show's clock (16 beats at 180 BPM), how the
// spectrum bands that drive the pictures move, plus a tempo estimate from
// onsets; --octaves adds the mix balance, --frames lists every frame's
// bands and --picture draws a spectrogram (both over --range).
#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "music/analyser.h"
#include "music/mp3decode.h"
#include "music/spectrum.h"
#include "spectrogram.h"

namespace {

constexpr int kFftSize = SPECTRUM_WINDOW;
constexpr double kPatternSeconds = 16.0 * 60.0 / 180.0;
constexpr double kFrameSeconds = 1.0 / 60.0;
constexpr int kPatterns = 38;

bool readFile(const char* path, std::vector<unsigned char>& bytes)
{
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    unsigned char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + got);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// The mono mix the show analyses: (left + right) / 2 of the 16-bit output.
bool decodeMono(const char* path, std::vector<float>& mono, Mp3Info& info, std::string& error)
{
    std::vector<unsigned char> bytes;
    if (!readFile(path, bytes)) {
        error = std::string(path) + ": cannot read";
        return false;
    }
    Mp3OpenResult result;
    Mp3Decoder* d = mp3Open(bytes.data(), bytes.size(), &result);
    if (!d) {
        error = std::string(path) + ": not an MP3 file";
        return false;
    }
    info = mp3Info(d);
    std::vector<int16_t> chunk(size_t(4096) * size_t(info.channels));
    int n;
    while ((n = mp3Read(d, chunk.data(), 4096)) > 0)
        for (int i = 0; i < n; ++i) {
            const int16_t* f = &chunk[size_t(i) * size_t(info.channels)];
            mono.push_back(info.channels == 2 ? (f[0] + f[1]) / 65536.0f : f[0] / 32768.0f);
        }
    mp3Close(d);
    return true;
}

// The show's spectrum of the SPECTRUM_WINDOW samples that end at `end`.
void spectrum(const std::vector<float>& mono, long end, std::vector<float>& mags)
{
    float window[SPECTRUM_WINDOW];
    for (int i = 0; i < SPECTRUM_WINDOW; ++i) {
        long at = end - SPECTRUM_WINDOW + i;
        window[i] = at >= 0 && at < long(mono.size()) ? mono[size_t(at)] : 0.0f;
    }
    mags.resize(SPECTRUM_BINS);
    computeSpectrum(window, mags.data());
}

struct PatternBands {
    double sum0 = 0, sum2 = 0;
    float max0 = 0, max2 = 0;
    int frames = 0;
};

void printBands(const std::vector<float>& mono, long rate)
{
    std::vector<PatternBands> rows(kPatterns);
    std::vector<float> mags;
    double seconds = double(mono.size()) / double(rate);
    for (long f = 0; f * kFrameSeconds < seconds; ++f) {
        double t = f * kFrameSeconds;
        int pattern = int(t / kPatternSeconds);
        if (pattern >= kPatterns)
            break;
        spectrum(mono, std::lround(t * double(rate)), mags);
        setSpectrumOverride(mags.data());
        analyzeSpectrum();
        float b0 = bandEnergy[0], b2 = bandEnergy[2];
        PatternBands& r = rows[size_t(pattern)];
        r.sum0 += b0, r.sum2 += b2, ++r.frames;
        r.max0 = std::max(r.max0, b0), r.max2 = std::max(r.max2, b2);
    }
    std::printf("pattern  time(s)  band0 mean   max | band2 mean   max | flicker mean\n");
    for (int p = 0; p < kPatterns; ++p) {
        const PatternBands& r = rows[size_t(p)];
        if (r.frames == 0)
            continue;
        double m0 = r.sum0 / r.frames, m2 = r.sum2 / r.frames;
        double flicker = std::min(1.0, std::pow(0.15 * m2, 2.0));
        std::printf("%7d  %7.2f  %10.2f %5.2f | %10.2f %5.2f | %5.2f %s\n", p, p * kPatternSeconds, m0, r.max0, m2,
                    r.max2, flicker, std::string(size_t(std::lround(m2 * 4)), '#').c_str());
    }
}

// Every frame's two band levels over [from, to) seconds, with a bar chart:
// shows how the bands move on the beat.
void printFrames(const std::vector<float>& mono, long rate, double from, double to)
{
    std::vector<float> mags;
    std::printf("   time(s)  beat  band0  band2\n");
    for (long f = std::lround(from / kFrameSeconds); f * kFrameSeconds < to; ++f) {
        double t = f * kFrameSeconds;
        spectrum(mono, std::lround(t * double(rate)), mags);
        setSpectrumOverride(mags.data());
        analyzeSpectrum();
        double beat = t * 3.0;  // 180 beats per minute
        std::printf("%10.3f %5.2f %6.2f %6.2f  %-24s|%s\n", t, beat, bandEnergy[0], bandEnergy[2],
                    std::string(size_t(std::lround(bandEnergy[0] * 8)), '=').c_str(),
                    std::string(size_t(std::lround(bandEnergy[2] * 8)), '#').c_str());
    }
}

// Mean power per octave band and pattern, in dB relative to full scale:
// shows the balance of the mix section by section.
void printOctaves(const std::vector<float>& mono, long rate)
{
    static const double kEdges[10] = {22, 44, 88, 177, 355, 710, 1420, 2840, 5680, 11360};
    const double binHz = double(rate) / kFftSize;
    std::vector<std::vector<double>> power(kPatterns, std::vector<double>(10, 0.0));
    std::vector<int> frames(kPatterns, 0);
    std::vector<float> mags;
    double seconds = double(mono.size()) / double(rate);
    for (long f = 0; f * kFrameSeconds < seconds; ++f) {
        double t = f * kFrameSeconds;
        int pattern = int(t / kPatternSeconds);
        if (pattern >= kPatterns)
            break;
        spectrum(mono, std::lround(t * double(rate)), mags);
        ++frames[size_t(pattern)];
        for (int k = 1; k < kFftSize / 2; ++k) {
            double hz = k * binHz;
            int band = 0;
            while (band < 9 && hz >= kEdges[band + 1])
                ++band;
            power[size_t(pattern)][size_t(band)] += 0.5 * double(mags[size_t(k)]) * mags[size_t(k)];
        }
    }
    std::printf("octave levels (dB): 31 63 125 250 500 1k 2k 4k 8k 16k\n");
    for (int p = 0; p < kPatterns; ++p) {
        if (!frames[size_t(p)])
            continue;
        std::printf("%7d ", p);
        for (double pw : power[size_t(p)])
            std::printf(" %5.1f", 10.0 * std::log10(pw / frames[size_t(p)] + 1e-12));
        std::printf("\n");
    }
}

// Tempo from the autocorrelation of positive spectral flux, searched over
// 60-240 BPM.
double estimateTempo(const std::vector<float>& mono, long rate)
{
    const int hop = 128;
    std::vector<float> mags, prev(kFftSize / 2, 0.0f), flux;
    for (long end = kFftSize; end <= long(mono.size()); end += hop) {
        spectrum(mono, end, mags);
        float sum = 0.0f;
        for (int k = 1; k < kFftSize / 2; ++k) {
            float v = std::log1p(100.0f * mags[size_t(k)]);
            sum += std::max(0.0f, v - prev[size_t(k)]);
            prev[size_t(k)] = v;
        }
        flux.push_back(sum);
    }
    double mean = 0.0;
    for (float v : flux)
        mean += v;
    mean /= std::max<size_t>(1, flux.size());
    for (float& v : flux)
        v = float(v - mean);
    const double framesPerMinute = 60.0 * double(rate) / hop;
    int lo = int(framesPerMinute / 240.0), hi = int(framesPerMinute / 60.0) + 1;
    std::vector<double> ac(size_t(hi + 2), 0.0);
    for (int lag = lo - 1; lag <= hi + 1; ++lag)
        for (size_t i = size_t(lag); i < flux.size(); ++i)
            ac[size_t(lag)] += double(flux[i]) * flux[i - size_t(lag)];
    auto peakNear = [&](int from, int to) {
        int best = std::max(from, lo);
        for (int lag = best; lag <= std::min(to, hi); ++lag)
            if (ac[size_t(lag)] > ac[size_t(best)])
                best = lag;
        return best;
    };
    int best = peakNear(lo, hi);
    // A backbeat (claps every second beat) can outweigh the beat itself; the
    // beat is the shortest period that is still clearly periodic.
    while (best / 2 >= lo) {
        int half = peakNear(best / 2 - 2, best / 2 + 2);
        if (ac[size_t(half)] < 0.25 * ac[size_t(best)])
            break;
        best = half;
    }
    double y0 = ac[size_t(best - 1)], y1 = ac[size_t(best)], y2 = ac[size_t(best + 1)];
    double denom = y0 - 2 * y1 + y2;
    double offset = denom != 0.0 ? 0.5 * (y0 - y2) / denom : 0.0;
    return framesPerMinute / (best + std::clamp(offset, -0.5, 0.5));
}

struct Options {
    const char* in = nullptr;
    bool octaves = false;
    bool frames = false;
    const char* picture = nullptr;
    double from = 0.0, to = 1e9;  // seconds shown in the picture or the frame list
};

bool parseArgs(int argc, char** argv, Options& opt)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--octaves") {
            opt.octaves = true;
        } else if (a == "--picture" && i + 1 < argc) {
            opt.picture = argv[++i];
        } else if (a == "--frames") {
            opt.frames = true;
        } else if (a == "--range" && i + 2 < argc) {
            opt.from = std::atof(argv[++i]);
            opt.to = std::atof(argv[++i]);
        } else if (a[0] == '-' || opt.in) {
            return false;
        } else {
            opt.in = argv[i];
        }
    }
    return opt.in != nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    Options opt;
    if (!parseArgs(argc, argv, opt)) {
        std::fprintf(stderr,
                     "usage: musicbands FILE.mp3 [--octaves] [--frames] [--picture OUT.png] [--range FROM_S TO_S]\n");
        return 2;
    }
    std::vector<float> mono;
    Mp3Info audio{};
    std::string error;
    if (!decodeMono(opt.in, mono, audio, error)) {
        std::fprintf(stderr, "musicbands: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %.2f s, %d Hz, %d channel(s)\n", opt.in, double(mono.size()) / audio.rate, audio.rate,
                audio.channels);
    std::printf("band 0 = bins 0-15, band 2 = bins 64-127 of the show's %d-point spectrum, every %.1f ms\n", kFftSize,
                kFrameSeconds * 1000.0);
    printBands(mono, audio.rate);
    if (opt.octaves)
        printOctaves(mono, audio.rate);
    if (opt.frames)
        printFrames(mono, audio.rate, opt.from, std::min(opt.to, double(mono.size()) / audio.rate));
    std::printf("tempo estimate: %.1f BPM\n", estimateTempo(mono, audio.rate));
    if (opt.picture) {
        size_t from = size_t(std::clamp(opt.from, 0.0, 1e9) * double(audio.rate));
        size_t to = size_t(std::clamp(opt.to, 0.0, 1e9) * double(audio.rate));
        from = std::min(from, mono.size());
        to = std::clamp(to, from, mono.size());
        std::vector<float> part(mono.begin() + long(from), mono.begin() + long(to));
        double perColumn = std::max(0.002, double(part.size()) / double(audio.rate) / 2000.0);
        if (!writeSpectrogram(part, audio.rate, perColumn, opt.picture, error)) {
            std::fprintf(stderr, "musicbands: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
