// Writes a spectrogram picture of a mono signal (log frequency, dB colour,
// a tick at every pattern), for looking at the soundtrack's structure.
#pragma once

#include <string>
#include <vector>

bool writeSpectrogram(const std::vector<float>& mono, long rate, double secondsPerColumn, const std::string& path,
                      std::string& error);
