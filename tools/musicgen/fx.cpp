// The shared effect returns (see fx.h). The reverb is the classic
// eight-comb, four-allpass network per side, the right side slightly longer
// for width; the echo bounces between the sides with a darkening feedback.
#include "fx.h"

#include <cstddef>

#include "dsp.h"

namespace {

struct DelayLine {
    std::vector<float> buf;
    size_t pos;
};

DelayLine delayLine(int length)
{
    return DelayLine{std::vector<float>(size_t(length), 0.0f), 0};
}

struct Comb {
    DelayLine line;
    float store;
};

float combTick(Comb& c, float in, float feedback, float damp)
{
    float out = c.line.buf[c.line.pos];
    c.store = out * (1.0f - damp) + c.store * damp;
    c.line.buf[c.line.pos] = in + c.store * feedback;
    if (++c.line.pos == c.line.buf.size())
        c.line.pos = 0;
    return out;
}

float allpassTick(DelayLine& d, float in)
{
    float delayed = d.buf[d.pos];
    d.buf[d.pos] = in + delayed * 0.5f;
    if (++d.pos == d.buf.size())
        d.pos = 0;
    return delayed - in;
}

struct ReverbSide {
    Comb combs[8];
    DelayLine allpasses[4];
};

ReverbSide reverbSide(int spread)
{
    static const int kCombs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int kAllpasses[4] = {556, 441, 341, 225};
    ReverbSide side;
    for (int i = 0; i < 8; ++i)
        side.combs[i] = Comb{delayLine(kCombs[i] + spread), 0.0f};
    for (int i = 0; i < 4; ++i)
        side.allpasses[i] = delayLine(kAllpasses[i] + spread);
    return side;
}

float reverbSideTick(ReverbSide& side, float in)
{
    const float feedback = 0.86f, damp = 0.35f;
    float out = 0.0f;
    for (Comb& c : side.combs)
        out += combTick(c, in, feedback, damp);
    for (DelayLine& a : side.allpasses)
        out = allpassTick(a, out);
    return out;
}

}  // namespace

void addReverb(const std::vector<float>& send, float wet, std::vector<float>& outL, std::vector<float>& outR)
{
    ReverbSide left = reverbSide(0), right = reverbSide(23);
    // Keep low end out of the tail so it never muddies the kick.
    Svf hp{};
    svfSet(hp, 280.0f, 0.7f);
    const float inputGain = 0.015f;
    for (size_t i = 0; i < send.size(); ++i) {
        float in = svfTick(hp, send[i]).hp * inputGain;
        float l = reverbSideTick(left, in), r = reverbSideTick(right, in);
        outL[i] += wet * (l * 0.9f + r * 0.1f);
        outR[i] += wet * (r * 0.9f + l * 0.1f);
    }
}

void addEcho(const std::vector<float>& send, int delaySamples, float feedback, float wet, std::vector<float>& outL,
             std::vector<float>& outR)
{
    DelayLine left = delayLine(delaySamples), right = delayLine(delaySamples);
    Svf hp{};
    svfSet(hp, 350.0f, 0.7f);
    OnePole darkL{}, darkR{};
    onePoleSet(darkL, 4500.0f);
    onePoleSet(darkR, 4500.0f);
    for (size_t i = 0; i < send.size(); ++i) {
        float in = svfTick(hp, send[i]).hp;
        float echoL = left.buf[left.pos], echoR = right.buf[right.pos];
        // The send enters on the left only; the feedback crosses sides.
        left.buf[left.pos] = in + onePoleTick(darkR, echoR) * feedback;
        right.buf[right.pos] = onePoleTick(darkL, echoL) * feedback;
        if (++left.pos == left.buf.size())
            left.pos = 0;
        if (++right.pos == right.buf.size())
            right.pos = 0;
        outL[i] += wet * echoL;
        outR[i] += wet * echoR;
    }
}
