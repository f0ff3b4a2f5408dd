// Harmony and melody of the song: the chord of every bar, chord voicings for
// pads, bass and arpeggios, and the lead melody written as text.
#pragma once

#include <vector>

struct Chord {
    int root;  // pitch class, 0 = C
    bool minor;
};

// The chord progressions, one chord per bar.
enum Progression { kProgIntro, kProgMain, kProgAlt, kProgClimax };

Chord chordOfBar(Progression prog, int barInPhrase);

// Chord tones placed in [low, low + 12), ascending.
std::vector<int> chordVoicing(Chord chord, int low);
// All chord tones from low upward over `octaves` octaves, ascending.
std::vector<int> chordLadder(Chord chord, int low, int octaves);
// The chord root placed in [low, low + 12).
int chordRoot(Chord chord, int low);

struct MelodyNote {
    int step;    // 16th steps from the start of the melody
    int length;  // in 16th steps
    int pitch;   // MIDI note
};

// The lead line of the climax: 16 bars over the climax progression played
// twice.
const std::vector<MelodyNote>& leadMelody();

// Parses "E5:3 D5:3 -:2 ..." (note name with octave, or '-' for a rest,
// then a length in 16ths). Returns false on a malformed token.
bool parseMelody(const char* text, std::vector<MelodyNote>& out);
