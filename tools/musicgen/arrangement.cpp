// What plays when: one plan per pattern (which parts play, in which style)
// and the part writers that turn the plans into note events for the score.
#include <cmath>

#include "harmony.h"
#include "score.h"

namespace {

enum HatStyle { kHatsNone, kHatsOffbeat, kHats8, kHats16 };
enum BassStyle { kBassNone, kBassOffbeat, kBassRolling, kBassAcid, kBassReese };
enum ArpStyle { kArpNone, kArpRise, kArpJump, kArpHigh };
enum LeadStyle { kLeadNone, kLeadTeaser, kLeadFull, kLeadDoubled };

struct PatternPlan {
    Progression prog = kProgMain;
    bool kick = false;
    int kickRest = 0;  // steps left without kick at the end of the pattern
    bool clap = false;
    HatStyle hats = kHatsNone;
    bool openHats = false;
    bool ride = false;
    int roll = 0;  // snare roll: 1 = fill in the last bar, 2 = build over the pattern
    bool riser = false;
    bool crash = false;
    bool impact = false;
    BassStyle bass = kBassNone;
    bool pad = false;
    ArpStyle arp = kArpNone;
    bool stabs = false;
    LeadStyle lead = kLeadNone;
    int leadBar = 0;  // bar of the lead melody this pattern starts on
};

constexpr int kBarsPerPattern = kStepsPerPattern / kStepsPerBar;

// The full groove every dance section starts from.
PatternPlan groove(Progression prog)
{
    PatternPlan p;
    p.prog = prog;
    p.kick = p.clap = p.openHats = p.pad = true;
    p.hats = kHats16;
    p.bass = kBassOffbeat;
    p.arp = kArpRise;
    return p;
}

// Patterns 0-5: pads and a filtered arpeggio alone, then hats, a thin kick,
// the full kick with bass, and a snare-roll build into the drop at 6.
PatternPlan introPlan(int n)
{
    PatternPlan p;
    p.prog = kProgIntro;
    p.pad = true;
    p.arp = kArpRise;
    if (n >= 1)
        p.hats = kHatsOffbeat;
    if (n >= 2)
        p.kick = true, p.hats = kHats16;
    if (n >= 3)
        p.openHats = true;
    if (n >= 4)
        p.clap = true, p.bass = kBassOffbeat;
    if (n == 5)
        p.roll = 2, p.riser = true, p.kickRest = 16;
    return p;
}

// Patterns 22-31: everything at once, with the lead melody played through
// twice (the second time doubled an octave up), then its high half again.
PatternPlan climaxPlan(int n)
{
    PatternPlan p = groove(kProgClimax);
    p.bass = kBassRolling;
    p.arp = kArpJump;
    p.ride = n >= 26;
    p.crash = n % 2 == 0;
    p.impact = n == 22 || n == 26;
    p.lead = n < 26 ? kLeadFull : kLeadDoubled;
    p.leadBar = n < 30 ? ((n - 22) % 4) * kBarsPerPattern : 8 + (n - 30) * kBarsPerPattern;
    if (n == 25 || n == 29)
        p.roll = 1, p.kickRest = 8;
    return p;
}

PatternPlan planOf(int n)
{
    if (n < 6)
        return introPlan(n);
    if (n >= 22 && n < 32)
        return climaxPlan(n);
    PatternPlan p = groove(kProgMain);
    if (n < 10) {  // first drop
        p.crash = n % 2 == 0;
        p.impact = n == 6;
        if (n == 9)
            p.roll = 1;
    } else if (n < 12) {  // rolling bass, jumping arpeggio, ride
        p = groove(kProgAlt);
        p.bass = kBassRolling, p.arp = kArpJump, p.ride = true, p.openHats = false;
        p.crash = n == 10;
    } else if (n < 14) {  // chord stabs instead of arpeggio and pads
        p.stabs = true, p.arp = kArpNone, p.pad = false, p.hats = kHats8;
        p.crash = n == 12;
    } else if (n < 16) {  // acid line
        p.bass = kBassAcid, p.arp = kArpNone;
        p.crash = n == 14;
        if (n == 15)
            p.roll = 1;
    } else if (n == 16) {  // breakdown: no drums, the lead is heard first
        p = PatternPlan{};
        p.prog = kProgClimax, p.pad = true, p.arp = kArpRise, p.lead = kLeadTeaser, p.leadBar = 0;
        p.crash = p.impact = true;
    } else if (n == 17) {  // build back up
        p = PatternPlan{};
        p.prog = kProgClimax, p.pad = true, p.arp = kArpRise, p.lead = kLeadTeaser, p.leadBar = 4;
        p.kick = true, p.kickRest = 16, p.hats = kHats16, p.roll = 2, p.riser = true;
    } else if (n < 20) {  // second drop, high arpeggio
        p = groove(kProgAlt);
        p.arp = kArpHigh;
        p.crash = n == 18, p.impact = n == 18;
    } else if (n == 20) {  // heavy detuned bass, sparse top
        p.bass = kBassReese, p.pad = false, p.arp = kArpNone, p.hats = kHatsOffbeat;
        p.crash = true;
    } else if (n == 21) {  // build into the climax
        p.roll = 2, p.riser = true, p.kickRest = 16;
    } else if (n < 34) {  // outro, the full groove without the lead
        p.crash = n == 32;
    } else if (n == 34) {
        p.openHats = false;
    } else {  // 35 on: thinning out under the fade
        p.clap = false, p.bass = kBassNone, p.openHats = false, p.hats = kHatsOffbeat;
    }
    return p;
}

// Note-colour automation: resting cutoffs of the filtered voices.
const Curve kBassCutoff = {{4, 90}, {5.9f, 260}, {6, 330}, {21.9f, 330}, {22, 480}, {32, 330}};
const Curve kAcidCutoff = {{14, 260}, {15.9f, 1400}};
const Curve kArpCutoff = {{0, 380},      {2, 700},   {5.9f, 2200}, {6, 1500},  {10, 1800}, {16, 700},
                          {17.9f, 2600}, {18, 2000}, {22, 2600},   {32, 1500}, {38, 600}};
const Curve kLeadCutoff = {{16, 700}, {17.9f, 2600}, {22, 4200}};
// Level of the bright crack on claps and rolls: held back in the intro, full
// from the drop on.
const Curve kCrackLevel = {{4, 0.25f}, {5.9f, 0.4f}, {6, 1.0f}};

struct Writer {
    Score* score;
    uint32_t nextSeed;
};

void addNote(Writer& w, Instrument inst, double step, double lengthSteps, float pitch, float vel, float param)
{
    NoteEvent ev{};
    ev.inst = inst;
    ev.start = int(std::lround(step * kSamplesPerStep));
    ev.length = int(std::lround(lengthSteps * kSamplesPerStep));
    ev.pitch = pitch;
    ev.vel = vel;
    ev.param = param;
    ev.seed = ++w.nextSeed * 2654435761u;
    w.score->events.push_back(ev);
}

double patternsAt(double step)
{
    return step / kStepsPerPattern;
}

void writeDrums(Writer& w, const PatternPlan& p, int pattern)
{
    const double base = double(pattern) * kStepsPerPattern;
    if (p.crash)
        addNote(w, kCrash, base, 0, 0, 0.75f, 0);
    if (p.impact)
        addNote(w, kImpact, base, 0, 0, 0.8f, 0);
    if (p.riser)
        addNote(w, kRiser, base, kStepsPerPattern, 0, 0.5f, 0);
    for (int s = 0; s < kStepsPerPattern; ++s) {
        int beatStep = s % 4, barStep = s % kStepsPerBar;
        bool offbeat = beatStep == 2;
        if (p.kick && beatStep == 0 && s < kStepsPerPattern - p.kickRest)
            addNote(w, kKick, base + s, 0, 0, 1.0f, 0);
        if (p.clap && (barStep == 4 || barStep == 12)) {
            addNote(w, kClap, base + s, 0, 0, 0.9f, curveAt(kCrackLevel, patternsAt(base + s)));
            if (p.lead == kLeadFull || p.lead == kLeadDoubled)
                addNote(w, kSnare, base + s, 0, 0, 0.6f, 0);
        }
        if (p.openHats && offbeat)
            addNote(w, kHatOpen, base + s, 0, 0, 0.7f, 0);
        bool closed = (p.hats == kHats16) || (p.hats == kHats8 && s % 2 == 0) || (p.hats == kHatsOffbeat && offbeat);
        if (closed && !(p.openHats && offbeat)) {
            static const float kHatAccent[4] = {0.5f, 0.3f, 0.8f, 0.35f};
            addNote(w, kHatClosed, base + s, 0, 0, kHatAccent[beatStep], 0);
        }
        if (p.ride && (beatStep == 0 || offbeat))
            addNote(w, kRide, base + s, 0, 0, beatStep == 0 ? 0.6f : 0.4f, 0);
    }
}

// Snare rolls: the fill speeds up from eighths to sixteenths; the build
// runs quarters, eighths, sixteenths and thirty-seconds, one bar each.
void writeRoll(Writer& w, const PatternPlan& p, int pattern)
{
    const double base = double(pattern) * kStepsPerPattern;
    if (p.roll == 1) {
        for (double s = 48; s < 64; s += (s < 56 ? 2.0 : 1.0))
            addNote(w, kSnare, base + s, 0, 0, float(0.4 + 0.6 * (s - 48) / 16.0),
                    curveAt(kCrackLevel, patternsAt(base + s)));
    } else if (p.roll == 2) {
        static const double kSpacing[4] = {4.0, 2.0, 1.0, 0.5};
        for (int bar = 0; bar < kBarsPerPattern; ++bar)
            for (double s = 0; s < kStepsPerBar; s += kSpacing[bar]) {
                double at = bar * kStepsPerBar + s;
                float rise = float(at / kStepsPerPattern);
                addNote(w, kSnare, base + at, 0, 0, 0.2f + 0.8f * rise * rise,
                        curveAt(kCrackLevel, patternsAt(base + at)));
            }
    }
}

void writeBassBar(Writer& w, const PatternPlan& p, double barStart, Chord chord)
{
    int root = chordRoot(chord, 36);
    float cutoff = curveAtLog(kBassCutoff, patternsAt(barStart));
    if (p.bass == kBassOffbeat) {
        for (int beat = 0; beat < 4; ++beat)
            addNote(w, kBass, barStart + beat * 4 + 2, 1.5, float(root), 1.0f, cutoff);
    } else if (p.bass == kBassRolling) {
        static const float kVel[3] = {0.8f, 0.9f, 1.0f};
        for (int beat = 0; beat < 4; ++beat)
            for (int i = 1; i < 4; ++i)
                addNote(w, kBass, barStart + beat * 4 + i, 0.8, float(root), kVel[i - 1], cutoff);
    } else if (p.bass == kBassAcid) {
        // Semitone offsets over the root; -1 is a rest. Loud notes are accents.
        static const int kLine[16] = {0, 0, 12, 0, 3, -1, 12, 7, 0, 0, 10, -1, 12, 0, 7, 3};
        static const bool kAccent[16] = {0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0};
        for (int s = 0; s < kStepsPerBar; ++s) {
            if (kLine[s] < 0 || s % 4 == 0)
                continue;  // leave the kick its room
            float cut = curveAtLog(kAcidCutoff, patternsAt(barStart + s));
            addNote(w, kAcid, barStart + s, 0.85, float(root + kLine[s]), kAccent[s] ? 1.0f : 0.7f, cut);
        }
    } else if (p.bass == kBassReese) {
        addNote(w, kReese, barStart, kStepsPerBar - 0.5, float(root), 0.9f, 650.0f);
    }
}

void writeArpBar(Writer& w, const PatternPlan& p, double barStart, Chord chord)
{
    static const int kRise[16] = {0, 1, 2, 3, 2, 1, 2, 3, 4, 3, 2, 3, 4, 5, 4, 3};
    static const int kJump[16] = {0, 3, 1, 4, 0, 3, 1, 4, 2, 5, 1, 4, 2, 5, 3, 6};
    static const int kHigh[16] = {3, 4, 5, 4, 3, 4, 6, 5, 3, 4, 5, 4, 6, 5, 4, 3};
    static const float kGate[4] = {1.0f, 0.6f, 0.85f, 0.65f};
    const int* shape = p.arp == kArpJump ? kJump : p.arp == kArpHigh ? kHigh : kRise;
    std::vector<int> ladder = chordLadder(chord, 64, 3);
    for (int s = 0; s < kStepsPerBar; ++s) {
        float cutoff = curveAtLog(kArpCutoff, patternsAt(barStart + s));
        addNote(w, kArp, barStart + s, 1.0, float(ladder[shape[s]]), 0.8f * kGate[s % 4], cutoff);
    }
}

void writeStabBar(Writer& w, double barStart, Chord chord)
{
    static const int kSteps[5] = {0, 3, 6, 10, 13};
    std::vector<int> notes = chordVoicing(chord, 60);
    notes.push_back(chordRoot(chord, 72));
    for (int s : kSteps)
        for (int pitch : notes)
            addNote(w, kStab, barStart + s, 1.0, float(pitch), 0.8f, 750.0f);
}

void writeLeadPattern(Writer& w, const PatternPlan& p, int pattern)
{
    const double base = double(pattern) * kStepsPerPattern;
    const int from = p.leadBar * kStepsPerBar, to = from + kStepsPerPattern;
    for (const MelodyNote& note : leadMelody()) {
        if (note.step < from || note.step >= to)
            continue;
        double at = base + note.step - from;
        float cutoff = curveAtLog(kLeadCutoff, patternsAt(at));
        float vel = p.lead == kLeadTeaser ? 0.75f : 0.95f;
        addNote(w, kLead, at, note.length - 0.2, float(note.pitch), vel, cutoff);
        if (p.lead == kLeadDoubled)
            addNote(w, kLead, at, note.length - 0.2, float(note.pitch + 12), 0.4f, cutoff);
    }
}

// Pads hold each chord for as long as it lasts, across bar lines.
void writePads(Writer& w)
{
    int runStart = -1;
    Chord runChord{};
    auto close = [&](int endBar) {
        if (runStart < 0)
            return;
        std::vector<int> notes = chordVoicing(runChord, 57);
        notes.push_back(chordRoot(runChord, 69));
        for (int pitch : notes)
            addNote(w, kPad, double(runStart) * kStepsPerBar, double(endBar - runStart) * kStepsPerBar, float(pitch),
                    0.8f, 0);
        runStart = -1;
    };
    const int bars = kPatternCount * kBarsPerPattern;
    for (int bar = 0; bar < bars; ++bar) {
        PatternPlan p = planOf(bar / kBarsPerPattern);
        Chord chord = chordOfBar(p.prog, bar);
        bool same = runStart >= 0 && chord.root == runChord.root && chord.minor == runChord.minor;
        if (!p.pad || !same)
            close(bar);
        if (p.pad && runStart < 0)
            runStart = bar, runChord = chord;
    }
    close(bars);
}

}  // namespace

Score composeSong()
{
    Score score{};
    Writer w{&score, 0};
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        PatternPlan p = planOf(pattern);
        writeDrums(w, p, pattern);
        writeRoll(w, p, pattern);
        for (int b = 0; b < kBarsPerPattern; ++b) {
            int bar = pattern * kBarsPerPattern + b;
            double barStart = double(bar) * kStepsPerBar;
            Chord chord = chordOfBar(p.prog, bar);
            writeBassBar(w, p, barStart, chord);
            if (p.arp != kArpNone)
                writeArpBar(w, p, barStart, chord);
            if (p.stabs)
                writeStabBar(w, barStart, chord);
        }
        if (p.lead != kLeadNone)
            writeLeadPattern(w, p, pattern);
    }
    writePads(w);
    setTrackMixes(score);
    return score;
}
