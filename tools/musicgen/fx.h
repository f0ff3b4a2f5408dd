// The shared effect returns: a stereo hall reverb and a tempo-synced
// ping-pong echo, each run over a whole mono send bus and added to a mix.
#pragma once

#include <vector>

void addReverb(const std::vector<float>& send, float wet, std::vector<float>& outL, std::vector<float>& outR);

void addEcho(const std::vector<float>& send, int delaySamples, float feedback, float wet, std::vector<float>& outL,
             std::vector<float>& outR);
