// Writes the MP3 files under tests/data/music: each is a known signal, so the
// tests can check length, speed, seeking and the spectrum against it.
// Run once: testmp3 <output folder>; the outputs are committed.
#include <lame/lame.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

// The spectrum bins are 44100/1024 Hz apart; tones sit on bin centres so the
// tests can look for a clean peak after conversion to the output rate.
static const double binHz = 44100.0 / 1024.0;

struct Fixture {
    const char* name;
    int rate;
    int channels;
    double seconds;
    bool vbr;
    bool tags;
    int kbps;
    int signal;  // 0 tone at toneBin, 1 sweep (left) and tone (right)
    int toneBin;
};

static const Fixture fixtures[] = {
    {"tone_mono_48k.mp3", 48000, 1, 7.0, false, false, 64, 0, 100},
    {"sweep_stereo_44k.mp3", 44100, 2, 3.0, false, false, 128, 1, 40},
    {"tone_stereo_32k.mp3", 32000, 2, 2.0, false, false, 96, 0, 60},
    {"sweep_vbr_id3.mp3", 44100, 2, 2.5, true, true, 0, 1, 80},
};

// A sweep never repeats itself, so a seek that lands one sample off shows.
static double sweepAt(double t, double seconds)
{
    const double f0 = 200.0, f1 = 9000.0;
    double k = (f1 - f0) / seconds;
    return std::sin(2.0 * M_PI * (f0 * t + 0.5 * k * t * t));
}

static void makeSignal(const Fixture& f, std::vector<float>& left, std::vector<float>& right)
{
    int n = (int)std::lround(f.rate * f.seconds);
    left.resize(n);
    right.resize(n);
    double tone = f.toneBin * binHz;
    for (int i = 0; i < n; i++) {
        double t = (double)i / f.rate;
        double s = 0.5 * std::sin(2.0 * M_PI * tone * t);
        left[i] = (float)(f.signal == 1 ? 0.5 * sweepAt(t, f.seconds) : s);
        right[i] = (float)s;
    }
}

static bool encode(const Fixture& f, const std::string& dir)
{
    std::vector<float> left, right;
    makeSignal(f, left, right);
    lame_t gfp = lame_init();
    lame_set_in_samplerate(gfp, f.rate);
    lame_set_out_samplerate(gfp, f.rate);
    lame_set_num_channels(gfp, f.channels);
    lame_set_mode(gfp, f.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_bWriteVbrTag(gfp, 1);
    if (f.vbr) {
        lame_set_VBR(gfp, vbr_default);
        lame_set_VBR_q(gfp, 2);
    } else {
        lame_set_brate(gfp, f.kbps);
    }
    lame_set_write_id3tag_automatic(gfp, 0);
    if (f.tags) {
        id3tag_init(gfp);
        id3tag_add_v2(gfp);
        id3tag_set_title(gfp, "Test sweep");
        id3tag_set_artist(gfp, "testmp3");
    }
    if (lame_init_params(gfp) < 0) {
        std::fprintf(stderr, "testmp3: lame rejects the settings of %s\n", f.name);
        return false;
    }
    std::vector<unsigned char> mp3(left.size() * 2 + 65536);
    int used = f.channels == 1
        ? lame_encode_buffer_ieee_float(gfp, left.data(), nullptr, (int)left.size(), mp3.data(), (int)mp3.size())
        : lame_encode_buffer_ieee_float(gfp, left.data(), right.data(), (int)left.size(), mp3.data(), (int)mp3.size());
    if (used < 0)
        return false;
    int tail = lame_encode_flush(gfp, mp3.data() + used, (int)mp3.size() - used);
    if (tail < 0)
        return false;
    mp3.resize(used + tail);
    // The first frame was a placeholder for the tag that carries the delay
    // and padding the decoder removes for gapless playback.
    unsigned char tag[4096];
    size_t tagSize = lame_get_lametag_frame(gfp, tag, sizeof tag);
    for (size_t i = 0; i < tagSize && i < mp3.size(); i++)
        mp3[i] = tag[i];
    static unsigned char id3v2[65536], id3v1[128];
    size_t id3v2Size = f.tags ? lame_get_id3v2_tag(gfp, id3v2, sizeof id3v2) : 0;
    size_t id3v1Size = f.tags ? lame_get_id3v1_tag(gfp, id3v1, sizeof id3v1) : 0;
    lame_close(gfp);

    std::string path = dir + "/" + f.name;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "testmp3: cannot create %s\n", path.c_str());
        return false;
    }
    std::fwrite(id3v2, 1, id3v2Size, out);
    std::fwrite(mp3.data(), 1, mp3.size(), out);
    std::fwrite(id3v1, 1, id3v1Size, out);
    std::fclose(out);
    std::printf("%s: %d Hz, %d ch, %zu samples, %zu bytes\n", path.c_str(), f.rate, f.channels, left.size(),
                id3v2Size + mp3.size() + id3v1Size);
    return true;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: testmp3 OUTPUT_DIR\n");
        return 2;
    }
    for (const Fixture& f : fixtures)
        if (!encode(f, argv[1]))
            return 1;
    return 0;
}
