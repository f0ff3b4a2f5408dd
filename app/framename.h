// Names for the numbered frames of a PNG sequence: "frames/%05d.png" holds
// one integer conversion, filled in here, never by printf.
#pragma once
#include <string>

struct FramePattern {
    std::string prefix, suffix;  // literal text around the number, %% undone
    int width = 0;               // minimum digits
    bool zeroPad = false;
};

// Accepts exactly one %d, %Nd or %0Nd (N up to 9), with %% for a literal
// percent sign. False with the reason in why.
bool parseFramePattern(const std::string& pattern, FramePattern& out, std::string& why);
std::string frameName(const FramePattern& pattern, long frame);
