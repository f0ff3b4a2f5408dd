// The instruments of the soundtrack (see voices.h): names, tail lengths,
// and the dispatch to each instrument's renderer.
#include "voices.h"

#include "voice_kit.h"

const char* instrumentName(Instrument inst)
{
    static const char* kNames[kInstrumentCount] = {"kick",  "clap",  "snare",  "hat",  "open hat", "ride",
                                                   "crash", "riser", "impact", "bass", "acid",     "reese",
                                                   "pad",   "arp",   "stab",   "lead"};
    return inst >= 0 && inst < kInstrumentCount ? kNames[inst] : "?";
}

int voiceTail(const NoteEvent& ev)
{
    switch (ev.inst) {
    case kKick: return seconds(0.30f);
    case kClap: return seconds(0.35f);
    case kSnare: return seconds(0.25f);
    case kHatClosed: return seconds(0.12f);
    case kHatOpen: return seconds(0.55f);
    case kRide: return seconds(1.3f);
    case kCrash: return seconds(3.2f);
    case kRiser: return seconds(0.01f);
    case kImpact: return seconds(1.8f);
    case kBass: return seconds(0.06f);
    case kAcid: return seconds(0.05f);
    case kReese: return seconds(0.2f);
    case kPad: return seconds(1.2f);
    case kArp: return seconds(0.45f);
    case kStab: return seconds(0.7f);
    case kLead: return seconds(0.35f);
    default: return 0;
    }
}

void renderVoice(const NoteEvent& ev, float* l, float* r, int n)
{
    switch (ev.inst) {
    case kKick: renderKick(ev, l, r, n); break;
    case kClap: renderClap(ev, l, r, n); break;
    case kSnare: renderSnare(ev, l, r, n); break;
    case kHatClosed: renderHat(ev, l, r, n, 0.028f); break;
    case kHatOpen: renderHat(ev, l, r, n, 0.16f); break;
    case kRide: renderRide(ev, l, r, n); break;
    case kCrash: renderCrash(ev, l, r, n); break;
    case kRiser: renderRiser(ev, l, r, n); break;
    case kImpact: renderImpact(ev, l, r, n); break;
    case kBass: renderBass(ev, l, r, n); break;
    case kAcid: renderAcid(ev, l, r, n); break;
    case kReese: renderReese(ev, l, r, n); break;
    case kPad: renderPad(ev, l, r, n); break;
    case kArp: renderArp(ev, l, r, n); break;
    case kStab: renderStab(ev, l, r, n); break;
    case kLead: renderLead(ev, l, r, n); break;
    default:
        std::fill(l, l + n, 0.0f);
        std::fill(r, r + n, 0.0f);
        break;
    }
}
