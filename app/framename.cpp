#include "app/framename.h"

#include <cctype>

// Reads one conversion starting after its '%' at i; moves i past it.
static bool readConversion(const std::string& p, size_t& i, FramePattern& out, std::string& why)
{
    if (i < p.size() && p[i] == '0') {
        out.zeroPad = true;
        i++;
    }
    size_t digits = 0;
    while (i < p.size() && std::isdigit((unsigned char)p[i]) && digits < 2) {
        out.width = out.width * 10 + (p[i] - '0');
        i++;
        digits++;
    }
    if (i < p.size() && p[i] == 'd') {
        i++;
        return true;
    }
    why = "only %d, %Nd or %0Nd (N up to 9) may stand for the frame number; write %% for a percent sign";
    return false;
}

bool parseFramePattern(const std::string& pattern, FramePattern& out, std::string& why)
{
    out = FramePattern{};
    bool seen = false;
    std::string* text = &out.prefix;
    for (size_t i = 0; i < pattern.size();) {
        char c = pattern[i++];
        if (c != '%') {
            *text += c;
            continue;
        }
        if (i < pattern.size() && pattern[i] == '%') {
            *text += '%';
            i++;
            continue;
        }
        if (seen) {
            why = "it holds more than one number conversion; it takes exactly one, such as %05d";
            return false;
        }
        if (!readConversion(pattern, i, out, why))
            return false;
        if (out.width > 9) {
            why = "the frame number may be at most 9 digits wide";
            return false;
        }
        seen = true;
        text = &out.suffix;
    }
    if (!seen) {
        why = "it holds no number conversion; it takes exactly one, such as %05d";
        return false;
    }
    return true;
}

std::string frameName(const FramePattern& pattern, long frame)
{
    std::string digits = std::to_string(frame < 0 ? -frame : frame);
    std::string pad;
    int want = pattern.width - (int)digits.size() - (frame < 0 ? 1 : 0);
    if (want > 0)
        pad.assign((size_t)want, pattern.zeroPad ? '0' : ' ');
    std::string number =
        pattern.zeroPad ? (frame < 0 ? "-" : "") + pad + digits : pad + (frame < 0 ? "-" : "") + digits;
    return pattern.prefix + number + pattern.suffix;
}
