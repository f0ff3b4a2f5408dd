// The soundtrack generator: its command line, that it writes the same bytes
// every time, and the song it writes as the show's own decoder and spectrum
// code read it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music/analyser.h"
#include "music/mp3decode.h"
#include "music/spectrum.h"

namespace fs = std::filesystem;

namespace {

const std::string kMusicgen = std::string(ZANT_BINARY_DIR) + "/tools/musicgen/musicgen";
constexpr double kPatternSeconds = 16.0 * 60.0 / 180.0;

struct RunResult {
    int status;  // exit status, -1 when it did not exit normally
    std::string out, err;
};

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<unsigned char> readBytes(const fs::path& path)
{
    std::string text = readText(path);
    return std::vector<unsigned char>(text.begin(), text.end());
}

fs::path makeTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "test_musicgen.XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    return made ? fs::path(made) : fs::path();
}

// Runs the generator with the arguments (already shell-quoted) from `dir`.
RunResult runMusicgen(const std::string& args, const fs::path& dir)
{
    fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
    std::string cmd = "cd '" + dir.string() + "' && '" + kMusicgen + "' " + args + " > '" + out.string() + "' 2> '" +
        err.string() + "'";
    int rc = std::system(cmd.c_str());
    RunResult r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, readText(out), readText(err)};
    fs::remove(out);
    fs::remove(err);
    return r;
}

// Files the generator left in `dir`, by name.
std::vector<std::string> filesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class MusicgenTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(kMusicgen)) << kMusicgen << " is missing: build the musicgen target first";
        dir = makeTempDir();
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override
    {
        if (!dir.empty())
            fs::remove_all(dir);
    }
    fs::path dir;
};

TEST_F(MusicgenTest, BadArgumentsAreRefusedWithAMessageAndNoFile)
{
    struct Case {
        const char* args;
        const char* message;
    };
    const Case cases[] = {
        {"", "no output file given"},
        {"--seconds", "--seconds needs a value"},
        {"--seconds abc out.mp3", "positive number of seconds, not 'abc'"},
        {"--seconds -2 out.mp3", "positive number of seconds, not '-2'"},
        {"--seconds 0 out.mp3", "positive number of seconds, not '0'"},
        {"--seconds 5x out.mp3", "positive number of seconds, not '5x'"},
        {"--louder out.mp3", "unknown option '--louder'"},
        {"one.mp3 two.mp3", "more than one output file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        RunResult r = runMusicgen(c.args, dir);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("usage: musicgen"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_TRUE(filesIn(dir).empty());
    }
}

TEST_F(MusicgenTest, UnwritableOutputFailsCleanly)
{
    RunResult r = runMusicgen("--seconds 1 no/such/folder/song.mp3", dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no/such/folder/song.mp3.part: cannot create"), std::string::npos) << r.err;
    EXPECT_TRUE(filesIn(dir).empty());
}

TEST_F(MusicgenTest, SameGeneratorWritesSameBytes)
{
    RunResult a = runMusicgen("--seconds 6 a.mp3", dir);
    RunResult b = runMusicgen("--seconds 6 b.mp3", dir);
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    std::vector<unsigned char> first = readBytes(dir / "a.mp3"), second = readBytes(dir / "b.mp3");
    EXPECT_GT(first.size(), 100000u);  // 6 s at 192 kbit/s is about 144 kB
    EXPECT_TRUE(first == second) << "two runs wrote different files";
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"a.mp3", "b.mp3"}));  // no half-written leftovers
}

// The whole song as the show's own MP3 decoder reads it.
struct Song {
    std::string summary;
    std::vector<unsigned char> bytes;
    Mp3Info info{};
    std::vector<int16_t> samples;  // interleaved
};

bool decodeSong(Song& song)
{
    Mp3OpenResult result;
    Mp3Decoder* d = mp3Open(song.bytes.data(), song.bytes.size(), &result);
    if (!d)
        return false;
    song.info = mp3Info(d);
    std::vector<int16_t> chunk(size_t(8192) * size_t(song.info.channels));
    int n;
    while ((n = mp3Read(d, chunk.data(), 8192)) > 0)
        song.samples.insert(song.samples.end(), chunk.begin(), chunk.begin() + long(n) * song.info.channels);
    mp3Close(d);
    return !song.samples.empty();
}

// RMS in dBFS of the mono mix over [from, to) seconds.
double levelDb(const Song& song, double from, double to)
{
    const int ch = song.info.channels;
    size_t a = size_t(from * song.info.rate), b = size_t(to * song.info.rate);
    b = std::min(b, song.samples.size() / size_t(ch));
    double sum = 0.0;
    for (size_t i = a; i < b; ++i) {
        double m = 0.0;
        for (int c = 0; c < ch; ++c)
            m += song.samples[i * size_t(ch) + size_t(c)];
        m /= 32768.0 * ch;
        sum += m * m;
    }
    return 10.0 * std::log10(sum / double(std::max<size_t>(1, b - a)) + 1e-20);
}

int peakOf(std::vector<int16_t>::const_iterator first, std::vector<int16_t>::const_iterator last)
{
    int p = 0;
    for (auto it = first; it != last; ++it)
        p = std::max(p, std::abs(int(*it)));
    return p;
}

// Band levels of one pattern as the show sees them: its own spectrum and
// band sums, once per 60 Hz frame.
struct PatternBands {
    float max0 = 0, max2 = 0;
    float median2 = 0;
};

std::vector<PatternBands> bandsPerPattern(const Song& song)
{
    const int ch = song.info.channels;
    const size_t frames = song.samples.size() / size_t(ch);
    std::vector<PatternBands> rows(38);
    std::vector<std::vector<float>> band2(38);
    float window[SPECTRUM_WINDOW], bins[SPECTRUM_BINS];
    for (long f = 0;; ++f) {
        double t = f / 60.0;
        size_t end = size_t(std::lround(t * song.info.rate));
        int pattern = int(t / kPatternSeconds);
        if (end > frames || pattern >= 38)
            break;
        for (int i = 0; i < SPECTRUM_WINDOW; ++i) {
            long at = long(end) - SPECTRUM_WINDOW + i;
            const int16_t* s = at >= 0 ? &song.samples[size_t(at) * size_t(ch)] : nullptr;
            window[i] = s ? (s[0] + s[ch - 1]) / 65536.0f : 0.0f;
        }
        computeSpectrum(window, bins);
        setSpectrumOverride(bins);
        analyzeSpectrum();
        PatternBands& r = rows[size_t(pattern)];
        r.max0 = std::max(r.max0, bandEnergy[0]);
        r.max2 = std::max(r.max2, bandEnergy[2]);
        band2[size_t(pattern)].push_back(bandEnergy[2]);
    }
    setSpectrumOverride(nullptr);
    for (size_t p = 0; p < rows.size(); ++p) {
        std::vector<float>& v = band2[p];
        if (v.empty())
            continue;
        std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
        rows[p].median2 = v[v.size() / 2];
    }
    return rows;
}

// The pictures follow two bands: the smear spreads with band 0 (kick and
// bass), the flicker brightens with the square of band 2 (the claps'
// crack). Accents must reach levels that show, and calm parts stay calm.
void expectBandsDriveThePictures(const Song& song)
{
    std::vector<PatternBands> rows = bandsPerPattern(song);
    auto withClaps = [](int p) { return (p >= 6 && p < 16) || (p >= 18 && p < 35); };
    for (int p = 0; p < 38; ++p) {
        SCOPED_TRACE("pattern " + std::to_string(p));
        const PatternBands& r = rows[size_t(p)];
        if (withClaps(p)) {
            EXPECT_GE(r.max2, p >= 22 && p < 32 ? 3.8f : 3.2f);  // flicker brightness 0.23 to 0.32 and more
            EXPECT_LT(r.median2, 0.5f);                          // flashes, not a steady glow
        }
        if (p < 4 || p == 16) {
            EXPECT_LT(r.max2, 0.5f);
        }
        if ((p >= 4 && p < 16) || (p >= 18 && p < 37)) {
            EXPECT_GE(r.max0, p >= 32 ? 2.1f : 1.6f);  // spreads of 2 pixels and more on the kicks
        }
        if (p == 16) {
            EXPECT_LT(r.max0, 1.0f);
        }
    }
}

// One test for the whole song, because rendering it takes a while.
TEST_F(MusicgenTest, WholeSongFitsTheShow)
{
    RunResult r = runMusicgen("tunemix.mp3", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    Song song;
    song.summary = r.out;
    song.bytes = readBytes(dir / "tunemix.mp3");
    ASSERT_TRUE(decodeSong(song)) << "the written file does not decode";
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"tunemix.mp3"}));

    // Length: to pattern 38 of the show's clock, at CD rate, in stereo.
    EXPECT_EQ(song.info.rate, 44100);
    EXPECT_EQ(song.info.channels, 2);
    double seconds = double(song.info.lengthSamples) / song.info.rate;
    EXPECT_GE(seconds, 202.0);
    EXPECT_LE(seconds, 204.0);
    EXPECT_NEAR(seconds, 38 * kPatternSeconds, 0.05);
    EXPECT_EQ(song.samples.size(), size_t(song.info.lengthSamples) * 2);

    // Headroom: the decoded peak stays at or under -1 dBFS, yet it is mastered.
    int peak = peakOf(song.samples.begin(), song.samples.end());
    EXPECT_LE(peak, int(32768 * std::pow(10.0, -1.0 / 20.0)));
    EXPECT_GT(peak, int(32768 * std::pow(10.0, -4.0 / 20.0)));

    // Clean ends: under -40 dBFS over the first and last 10 ms.
    const long edge = 441 * 2;
    EXPECT_LT(peakOf(song.samples.begin(), song.samples.begin() + edge), 330);
    EXPECT_LT(peakOf(song.samples.end() - edge, song.samples.end()), 330);

    // Shape: a calm intro, a loud climax, a fade at the end, and no pattern
    // in between silent by mistake.
    double intro = levelDb(song, 0.0, kPatternSeconds);
    double climax = levelDb(song, 24 * kPatternSeconds, 25 * kPatternSeconds);
    EXPECT_LT(intro, climax - 15.0) << "intro " << intro << " dB, climax " << climax << " dB";
    EXPECT_GT(climax, -17.0);
    EXPECT_LT(levelDb(song, 37 * kPatternSeconds, 38 * kPatternSeconds), climax - 18.0);
    for (int p = 0; p < 37; ++p)
        EXPECT_GT(levelDb(song, p * kPatternSeconds, (p + 1) * kPatternSeconds), -45.0) << "pattern " << p;

    // Tag and report: the ID3 title, and the summary line's loudness.
    ASSERT_GT(song.bytes.size(), 4096u);
    EXPECT_EQ(std::string(song.bytes.begin(), song.bytes.begin() + 3), "ID3");
    std::string head(song.bytes.begin(), song.bytes.begin() + 4096);
    size_t title = head.find("TIT2");
    ASSERT_NE(title, std::string::npos);
    EXPECT_NE(head.find("ZANT", title), std::string::npos);
    size_t at = song.summary.find(" LUFS");
    ASSERT_NE(at, std::string::npos) << song.summary;
    size_t start = song.summary.rfind(", ", at);
    EXPECT_NEAR(std::atof(song.summary.c_str() + start + 2), -14.0, 0.5) << song.summary;

    expectBandsDriveThePictures(song);
}

}  // namespace
