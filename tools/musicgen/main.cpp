// musicgen: composes, renders, masters and encodes the show's default
// soundtrack. Usage: musicgen [--seconds N] [--stats] OUT.mp3
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "decode.h"
#include "dsp.h"
#include "master.h"
#include "mix.h"
#include "mp3out.h"
#include "score.h"

namespace {

constexpr double kTargetLufs = -14.0;
constexpr float kPeakLimitDb = -1.0f;     // what the decoded file must respect
constexpr float kFirstCeilingDb = -1.5f;  // leaves room for the encoder's overshoot

struct Options {
    const char* out = nullptr;
    double seconds = 0.0;  // 0: the whole song
    bool stats = false;
};

void usage()
{
    std::fprintf(stderr, "usage: musicgen [--seconds N] [--stats] OUT.mp3\n");
}

bool parseArgs(int argc, char** argv, Options& opt)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--seconds") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "musicgen: --seconds needs a value\n");
                return false;
            }
            char* end = nullptr;
            opt.seconds = std::strtod(argv[++i], &end);
            if (*end || !(opt.seconds > 0.0) || !std::isfinite(opt.seconds)) {
                std::fprintf(stderr, "musicgen: --seconds wants a positive number of seconds, not '%s'\n", argv[i]);
                return false;
            }
        } else if (std::strcmp(a, "--stats") == 0) {
            opt.stats = true;
        } else if (a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "musicgen: unknown option '%s'\n", a);
            return false;
        } else if (opt.out) {
            std::fprintf(stderr, "musicgen: more than one output file given\n");
            return false;
        } else {
            opt.out = a;
        }
    }
    if (!opt.out)
        std::fprintf(stderr, "musicgen: no output file given\n");
    return opt.out != nullptr;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = path + ": cannot create: " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        error = path + ": write failed: " + std::strerror(errno);
        std::remove(path.c_str());
    }
    return ok;
}

float decodedPeakDb(const DecodedAudio& audio)
{
    float peak = 0.0f;
    for (float s : audio.samples)
        peak = std::max(peak, std::fabs(s));
    return gainToDb(peak);
}

void printStats(const TrackStats& stats)
{
    for (int i = 0; i < kInstrumentCount; ++i)
        std::fprintf(stderr, "  %-9s rms %6.1f dB  peak %6.1f dB  climax low %6.1f dB  high %6.1f dB\n",
                     instrumentName(Instrument(i)), gainToDb(float(stats.rms[i])), gainToDb(stats.peak[i]),
                     gainToDb(float(stats.lowRms[i])), gainToDb(float(stats.highRms[i])));
}

// Masters, encodes and checks the decoded peak; lowers the ceiling and
// tries again when the encoder's overshoot crosses the limit.
int masterAndWrite(const StereoBuffer& shaped, const MasterSettings& base, const std::string& outPath)
{
    const std::string tmpPath = outPath + ".part";
    MasterSettings settings = base;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::string error;
        StereoBuffer mastered;
        MasterResult result{};
        std::vector<unsigned char> bytes;
        DecodedAudio decoded;
        if (!masterMix(shaped, settings, mastered, result, error) || !encodeMp3(mastered, "ZANT", bytes, error) ||
            !writeFile(tmpPath, bytes, error) || !decodeMp3(tmpPath, decoded, error)) {
            std::fprintf(stderr, "musicgen: %s\n", error.c_str());
            std::remove(tmpPath.c_str());
            return 1;
        }
        float peak = decodedPeakDb(decoded);
        if (peak > kPeakLimitDb) {
            settings.ceilingDb -= (peak - kPeakLimitDb) + 0.1f;
            continue;
        }
        if (std::rename(tmpPath.c_str(), outPath.c_str()) != 0) {
            std::fprintf(stderr, "musicgen: %s: cannot rename into place: %s\n", outPath.c_str(), std::strerror(errno));
            std::remove(tmpPath.c_str());
            return 1;
        }
        double seconds = double(decoded.samples.size()) / decoded.channels / double(decoded.rate);
        std::printf(
            "musicgen: wrote %s: %.2f s, %ld Hz stereo, %d kbit/s, peak %.2f dBFS, %.1f LUFS (limiter %.1f dB)\n",
            outPath.c_str(), seconds, decoded.rate, kMp3Kbps, peak, result.lufs, result.maxReductionDb);
        return 0;
    }
    std::fprintf(stderr, "musicgen: could not keep the decoded peak under %.1f dBFS\n", kPeakLimitDb);
    std::remove(tmpPath.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options opt;
    if (!parseArgs(argc, argv, opt)) {
        usage();
        return 2;
    }
    int length = kSongSamples;
    if (opt.seconds > 0.0)
        length = int(std::min<double>(length, std::ceil(opt.seconds * kSampleRate)));

    Score score = composeSong();
    StereoBuffer mix;
    TrackStats stats{};
    renderMix(score, length, mix, opt.stats ? &stats : nullptr);
    if (opt.stats)
        printStats(stats);

    MasterSettings settings{kTargetLufs, kFirstCeilingDb, 36 * kSamplesPerPattern, kSongSamples};
    shapeMix(mix, settings);
    return masterAndWrite(mix, settings, opt.out);
}
