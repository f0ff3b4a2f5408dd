// The instruments of the soundtrack: each one renders a single note event
// into a stereo scratch buffer; the mixer places and blends the results.
#pragma once

#include <cstdint>

enum Instrument : int {
    kKick,
    kClap,
    kSnare,
    kHatClosed,
    kHatOpen,
    kRide,
    kCrash,
    kRiser,
    kImpact,
    kBass,
    kAcid,
    kReese,
    kPad,
    kArp,
    kStab,
    kLead,
    kInstrumentCount
};

// start and length in samples; pitch as a MIDI note number; param is the
// one per-note colour a voice takes (a cutoff in Hz for the filtered voices).
struct NoteEvent {
    Instrument inst;
    int start;
    int length;
    float pitch;
    float vel;
    float param;
    uint32_t seed;
};

const char* instrumentName(Instrument inst);

// Seconds from the start of a clap or snare to its crack, after the clap's
// three flam bursts 8.5 ms apart: late enough that the kick's punch has
// passed (the mixer clears room for the crack there).
constexpr float kClapCrackDelay = 3 * 0.0085f;

// Samples a voice keeps sounding after its note length (release, decay).
int voiceTail(const NoteEvent& ev);

// Writes (not adds) n samples of the note into left and right.
void renderVoice(const NoteEvent& ev, float* left, float* right, int n);
