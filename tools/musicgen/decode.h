// Reads an MP3 file back to float samples with libmpg123, for checking what
// a listener will actually hear (peaks after encoding, spectra, length).
#pragma once

#include <string>
#include <vector>

struct DecodedAudio {
    long rate;
    int channels;
    std::vector<float> samples;  // interleaved
};

bool decodeMp3(const std::string& path, DecodedAudio& out, std::string& error);
