// Mix settings of every track: base levels, the filter sweeps that carry
// the intro and the builds, side-chain depth, panning and effect sends.
#include <algorithm>
#include <cmath>

#include "score.h"

// Finds the keys around `pattern` and the blend between them.
static void curveSegment(const Curve& curve, double pattern, const Key*& a, const Key*& b, double& u)
{
    a = b = &curve.front();
    u = 0.0;
    if (pattern <= curve.front().pattern)
        return;
    for (size_t i = 1; i < curve.size(); ++i) {
        a = &curve[i - 1];
        b = &curve[i];
        if (pattern < b->pattern) {
            u = (pattern - a->pattern) / std::max(1e-6, double(b->pattern - a->pattern));
            return;
        }
    }
    a = b = &curve.back();
}

float curveAt(const Curve& curve, double pattern)
{
    if (curve.empty())
        return 0.0f;
    const Key *a, *b;
    double u;
    curveSegment(curve, pattern, a, b, u);
    return float(a->value + (b->value - a->value) * u);
}

float curveAtLog(const Curve& curve, double pattern)
{
    if (curve.empty())
        return 0.0f;
    const Key *a, *b;
    double u;
    curveSegment(curve, pattern, a, b, u);
    return float(a->value * std::pow(double(b->value) / a->value, u));
}

namespace {

TrackMix level(float db)
{
    TrackMix m{};
    m.gainDb = {{0, db}};
    return m;
}

}  // namespace

void setTrackMixes(Score& score)
{
    TrackMix* mix = score.mix;

    mix[kKick] = level(0.0f);
    mix[kKick].clapDuck = 0.5f;  // only its sub tail is still sounding there
    // Thin kick (no low end) in patterns 2-3 and through the build at 17.
    mix[kKick].highpassHz = {{0, 900},     {2, 900},  {3.9f, 300},  {4, 20},
                             {16.99f, 20}, {17, 800}, {17.7f, 180}, {17.75f, 20}};
    // Louder in the outro, where the smear follows it alone.
    mix[kKick].gainDb = {{0, -5}, {3.9f, -3}, {4, 0}, {31.9f, 0}, {32, 2}};

    mix[kClap] = level(9.0f);
    mix[kClap].reverbSend = 0.3f;
    mix[kClap].delaySend = 0.04f;

    mix[kSnare] = level(-7.0f);
    mix[kSnare].clapDuck = 0.4f;
    mix[kSnare].reverbSend = 0.3f;

    mix[kHatClosed] = level(-10.0f);
    mix[kHatClosed].clapDuck = 0.6f;
    mix[kHatClosed].gainDb = {{1, -8}, {3, 0}, {6, 4}};
    mix[kHatClosed].pan = 0.2f;
    mix[kHatClosed].reverbSend = 0.05f;

    mix[kHatOpen] = level(2.0f);
    mix[kHatOpen].clapDuck = 0.6f;
    mix[kHatOpen].pan = -0.15f;
    mix[kHatOpen].duck = 0.3f;
    mix[kHatOpen].reverbSend = 0.08f;

    mix[kRide] = level(-16.0f);
    mix[kRide].clapDuck = 0.6f;
    mix[kRide].pan = 0.3f;
    mix[kRide].reverbSend = 0.1f;

    mix[kCrash] = level(-9.0f);
    mix[kCrash].clapDuck = 0.6f;
    mix[kCrash].duck = 0.2f;
    mix[kCrash].reverbSend = 0.15f;

    mix[kRiser] = level(-9.0f);
    mix[kRiser].clapDuck = 0.5f;
    mix[kRiser].reverbSend = 0.3f;

    mix[kImpact] = level(-6.0f);
    mix[kImpact].clapDuck = 0.3f;
    mix[kImpact].reverbSend = 0.1f;

    mix[kBass] = level(-2.5f);
    mix[kBass].clapDuck = 0.5f;
    mix[kBass].duck = 0.5f;
    // Thins out over the last bars of the build into the climax.
    mix[kBass].highpassHz = {{21, 20}, {21.9f, 320}, {21.99f, 320}, {22, 20}};

    mix[kAcid] = level(-3.0f);
    mix[kAcid].clapDuck = 0.6f;
    mix[kAcid].duck = 0.3f;
    mix[kAcid].delaySend = 0.12f;

    mix[kReese] = level(-5.0f);
    mix[kReese].clapDuck = 0.5f;
    mix[kReese].duck = 0.7f;

    mix[kPad] = level(-13.0f);
    mix[kPad].clapDuck = 0.7f;
    mix[kPad].gainDb = {{0, -9}, {6, -8}, {16, -7}, {17, -8}};
    mix[kPad].duck = 0.6f;
    mix[kPad].reverbSend = 0.3f;
    // The pads stay out of the kick and bass band until the drop opens up.
    mix[kPad].highpassHz = {{0, 900}, {3.5f, 900}, {6, 260}};
    mix[kPad].lowpassHz = {{0, 900},   {5.9f, 5000},  {6, 3500},  {16, 2500}, {17.9f, 6000}, {18, 3500},
                           {21, 3500}, {21.9f, 7000}, {22, 5000}, {32, 4000}, {38, 1500}};

    mix[kArp] = level(-8.0f);
    mix[kArp].clapDuck = 0.7f;
    mix[kArp].gainDb = {{0, -40}, {1, -11}, {2, -7}, {6, -4}};
    mix[kArp].duck = 0.5f;
    mix[kArp].reverbSend = 0.12f;
    mix[kArp].delaySend = 0.3f;
    mix[kArp].highpassHz = {{0, 400}, {6, 150}};

    mix[kStab] = level(-6.0f);
    mix[kStab].clapDuck = 0.6f;
    mix[kStab].duck = 0.3f;
    mix[kStab].reverbSend = 0.4f;
    mix[kStab].delaySend = 0.3f;

    score.sectionGainDb = {{0, -1.5f}, {21.97f, -1.5f}, {22, 0}, {31.97f, 0}, {32, -1.0f}};

    mix[kLead] = level(-6.0f);
    mix[kLead].clapDuck = 0.6f;
    mix[kLead].gainDb = {{16, -6}, {17.9f, -4}, {22, -3.5f}};
    mix[kLead].duck = 0.4f;
    mix[kLead].reverbSend = 0.25f;
    mix[kLead].delaySend = 0.22f;
}
