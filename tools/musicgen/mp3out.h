// MP3 encoding of the mastered song with libmp3lame: constant bit rate,
// an ID3 title, and the LAME info frame that lets decoders drop padding.
#pragma once

#include <string>
#include <vector>

#include "mix.h"

constexpr int kMp3Kbps = 192;

// Encodes the whole buffer into `bytes` (the complete file image).
bool encodeMp3(const StereoBuffer& audio, const char* title, std::vector<unsigned char>& bytes, std::string& error);
