// Harmony and melody of the song (see harmony.h). The key is A minor; the
// climax borrows E major for the pull back to A.
#include "harmony.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr Chord kAm{9, true}, kF{5, false}, kC{0, false}, kG{7, false}, kE{4, false}, kEm{4, true};

int placeIn(int pitchClass, int low)
{
    int p = low + ((pitchClass - low) % 12 + 12) % 12;
    return p;
}

// Lead line: an 8-bar call in the middle register, then the same shape
// answered an octave higher.
const char* kLeadText = "E5:3 D5:3 C5:2 B4:3 C5:3 A4:2 "
                        "A4:3 C5:3 F5:2 E5:3 C5:3 A4:2 "
                        "G4:3 C5:3 E5:2 D5:3 E5:3 G5:2 "
                        "G5:6 F5:2 E5:3 D5:3 B4:2 "
                        "E5:3 D5:3 C5:2 B4:3 C5:3 E5:2 "
                        "F5:3 E5:3 C5:2 A4:3 C5:3 F5:2 "
                        "G5:3 F5:3 D5:2 B4:3 D5:3 G5:2 "
                        "G#5:6 E5:2 B4:3 G#4:3 B4:2 "
                        "A5:6 E5:2 C5:3 E5:3 A5:2 "
                        "A5:3 G5:3 F5:2 C5:3 F5:3 A5:2 "
                        "G5:3 E5:3 C5:2 E5:3 G5:3 C6:2 "
                        "B5:6 G5:2 D5:3 G5:3 B5:2 "
                        "C6:3 B5:3 A5:2 E5:3 A5:3 C6:2 "
                        "A5:3 F5:3 C5:2 F5:3 A5:3 C6:2 "
                        "B5:3 G5:3 D5:2 G5:3 B5:3 D6:2 "
                        "B5:8 G#5:4 E5:4";

bool parsePitch(const char* s, int len, int& pitch)
{
    static const int kNatural[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (len < 2)
        return false;
    char name = char(std::toupper(static_cast<unsigned char>(s[0])));
    if (name < 'A' || name > 'G')
        return false;
    int pc = kNatural[name - 'A'];
    int i = 1;
    if (s[i] == '#') {
        ++pc;
        ++i;
    } else if (s[i] == 'b') {
        --pc;
        ++i;
    }
    if (i + 1 != len || !std::isdigit(static_cast<unsigned char>(s[i])))
        return false;
    pitch = (s[i] - '0' + 1) * 12 + pc;
    return true;
}

}  // namespace

Chord chordOfBar(Progression prog, int bar)
{
    static const Chord kIntro[8] = {kAm, kAm, kF, kF, kC, kC, kG, kG};
    static const Chord kMain[4] = {kAm, kF, kC, kG};
    static const Chord kAlt[4] = {kF, kG, kEm, kAm};
    static const Chord kClimax[8] = {kAm, kF, kC, kG, kAm, kF, kG, kE};
    switch (prog) {
    case kProgIntro: return kIntro[bar % 8];
    case kProgMain: return kMain[bar % 4];
    case kProgAlt: return kAlt[bar % 4];
    case kProgClimax: return kClimax[bar % 8];
    }
    return kAm;
}

std::vector<int> chordVoicing(Chord chord, int low)
{
    std::vector<int> notes = {placeIn(chord.root, low), placeIn(chord.root + (chord.minor ? 3 : 4), low),
                              placeIn(chord.root + 7, low)};
    std::sort(notes.begin(), notes.end());
    return notes;
}

std::vector<int> chordLadder(Chord chord, int low, int octaves)
{
    std::vector<int> ladder;
    for (int o = 0; o < octaves; ++o)
        for (int p : chordVoicing(chord, low + 12 * o))
            ladder.push_back(p);
    return ladder;
}

int chordRoot(Chord chord, int low)
{
    return placeIn(chord.root, low);
}

bool parseMelody(const char* text, std::vector<MelodyNote>& out)
{
    out.clear();
    int step = 0;
    const char* p = text;
    while (*p) {
        while (*p == ' ')
            ++p;
        if (!*p)
            break;
        const char* colon = p;
        while (*colon && *colon != ':' && *colon != ' ')
            ++colon;
        if (*colon != ':')
            return false;
        char* end = nullptr;
        long length = std::strtol(colon + 1, &end, 10);
        if (end == colon + 1 || length <= 0 || (*end && *end != ' '))
            return false;
        if (!(colon - p == 1 && *p == '-')) {
            int pitch = 0;
            if (!parsePitch(p, int(colon - p), pitch))
                return false;
            out.push_back(MelodyNote{step, int(length), pitch});
        }
        step += int(length);
        p = end;
    }
    return true;
}

const std::vector<MelodyNote>& leadMelody()
{
    static std::vector<MelodyNote> melody;
    if (melody.empty() && !parseMelody(kLeadText, melody)) {
        std::fprintf(stderr, "musicgen: internal error: the lead melody does not parse\n");
        std::abort();
    }
    return melody;
}
