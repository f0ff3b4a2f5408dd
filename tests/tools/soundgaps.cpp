// Compares a recording of the program's sound output (raw s16le stereo at
// 44.1 kHz, as parec writes it) with the song decoded by the program's own
// sound layer, and reports every place where the recording stops being the
// song: silence put in (an underrun), sound left out, or anything else.
//
//   soundgaps <song.mp3> <recording.raw>
//
// Prints one line of key=value figures:
//   start_ms      the song time at which the recorded sound begins
//   played_ms     how much of the song the recording holds from there
//   song_ms       the song's length
//   gaps          discontinuities found
//   longest_gap_ms, lost_ms   the longest and the sum of them (the time the
//                 recording did not match the song at those places)
//   ended         1 when the recording holds the song to its last frame
// Exit status 0 when it could be compared, 1 when the recording holds no
// part of the song.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "music/soundlayer_testing.h"

const int RATE = 44100;
const int TOLERANCE = 2;    // s16 steps; the server passes s16 at full volume untouched
const int SILENT = 64;      // below this on both channels a frame counts as silence
const int MATCH_RUN = 256;  // frames that must agree to call a place found
const int64_t SEARCH_AHEAD = 4 * RATE;

static std::vector<char> readAll(const char* path)
{
    std::vector<char> bytes;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return bytes;
}

struct Sound {
    const int16_t* samples;
    int64_t frames;
};

static bool sameFrame(Sound a, int64_t i, Sound b, int64_t j)
{
    return std::abs(a.samples[2 * i] - b.samples[2 * j]) <= TOLERANCE &&
        std::abs(a.samples[2 * i + 1] - b.samples[2 * j + 1]) <= TOLERANCE;
}

static bool silentFrame(Sound a, int64_t i)
{
    return std::abs(a.samples[2 * i]) < SILENT && std::abs(a.samples[2 * i + 1]) < SILENT;
}

// A whole run agrees from these frames on (shorter at either end).
static bool sameRun(Sound rec, int64_t r, Sound song, int64_t s)
{
    int64_t n = std::min<int64_t>({MATCH_RUN, rec.frames - r, song.frames - s});
    if (n < 16)
        return false;
    for (int64_t k = 0; k < n; k++)
        if (!sameFrame(rec, r + k, song, s + k))
            return false;
    return true;
}

// The song frame from which the recording at r goes on, searched in
// [from, to); -1 when none.
static int64_t findInSong(Sound rec, int64_t r, Sound song, int64_t from, int64_t to)
{
    from = std::max<int64_t>(0, from);
    to = std::min(to, song.frames);
    for (int64_t s = from; s < to; s++)
        if (sameFrame(rec, r, song, s) && sameRun(rec, r, song, s))
            return s;
    return -1;
}

static std::vector<int16_t> decodeSong(const char* path, std::vector<char>& mp3)
{
    std::vector<int16_t> all;
    mp3 = readAll(path);
    if (mp3.empty() || !soundInit(SOUND_OUTPUT_OFFLINE, RATE))
        return all;
    SoundStream* stream = soundStreamOpen(mp3.data(), (int)mp3.size());
    if (!stream)
        return all;
    all.resize((size_t)soundStreamGetLengthFrames(stream) * 2);
    soundStreamRender(stream, all.data(), (int)(all.size() / 2));
    soundStreamClose(stream);
    soundClose();
    return all;
}

static double ms(int64_t frames)
{
    return frames * 1000.0 / RATE;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: soundgaps <song.mp3> <recording.raw>\n");
        return 2;
    }
    std::vector<char> mp3;
    std::vector<int16_t> decoded = decodeSong(argv[1], mp3);
    std::vector<char> raw = readAll(argv[2]);
    Sound song{decoded.data(), (int64_t)decoded.size() / 2};
    Sound rec{(const int16_t*)raw.data(), (int64_t)raw.size() / 4};
    if (song.frames == 0) {
        std::fprintf(stderr, "soundgaps: %s could not be decoded\n", argv[1]);
        return 1;
    }
    int64_t r = 0;
    while (r < rec.frames && silentFrame(rec, r))
        r++;
    int64_t s = r < rec.frames ? findInSong(rec, r, song, 0, song.frames) : -1;
    if (s < 0) {
        std::fprintf(stderr, "soundgaps: the recording (%.0f ms) holds no part of the song\n", ms(rec.frames));
        return 1;
    }
    const int64_t start = s;
    int gaps = 0;
    int64_t longest = 0, lost = 0;
    while (r < rec.frames && s < song.frames) {
        if (sameFrame(rec, r, song, s)) {
            r++, s++;
            continue;
        }
        // Past the silence the server put in, the song must go on nearby.
        int64_t r2 = r;
        while (r2 < rec.frames && silentFrame(rec, r2))
            r2++;
        int64_t s2 = r2 < rec.frames ? findInSong(rec, r2, song, s - MATCH_RUN, s + SEARCH_AHEAD) : -1;
        if (s2 < 0)
            break;  // the rest is not the song (or the recording ended)
        int64_t missed = std::max(r2 - r, s2 - s);
        if (missed > 0) {
            gaps++;
            longest = std::max(longest, missed);
            lost += missed;
            std::fprintf(stderr, "soundgaps: at song %.1f ms: %.2f ms of silence, %.2f ms of the song left out\n",
                         ms(s), ms(r2 - r), ms(std::max<int64_t>(0, s2 - s)));
        }
        r = r2, s = s2;
    }
    std::printf("start_ms=%.2f played_ms=%.1f song_ms=%.1f gaps=%d longest_gap_ms=%.2f lost_ms=%.2f ended=%d\n",
                ms(start), ms(s - start), ms(song.frames), gaps, ms(longest), ms(lost), s >= song.frames ? 1 : 0);
    return 0;
}
