#include "app/encoder.h"

#include <cstdio>

#include "core/frame.h"

bool ffmpegOnPath()
{
    return programOnPath("ffmpeg");
}

// Below the drawing threads, the encoder takes the cycles they leave (the
// renderer waits on itself every frame) instead of slowing every frame; the
// frame queue absorbs the lag. A whole frame fits in the pipe at once where
// the system allows it.
bool startFfmpeg(const std::vector<std::string>& args, Encoder* encoder, std::string& why)
{
    std::vector<std::string> argv = {"ffmpeg"};
    argv.insert(argv.end(), args.begin(), args.end());
    return startPipedProgram(argv, (size_t)FRAME_WIDTH * FRAME_HEIGHT * 3, &encoder->program, why);
}

bool encoderRunning(const Encoder& encoder)
{
    return encoder.program.id >= 0;
}

bool writeToEncoder(Encoder& encoder, const uint8_t* p, size_t n)
{
    return writeToProgram(encoder.program, p, n);
}

bool finishEncoder(Encoder& encoder)
{
    return finishProgram(encoder.program);
}

std::vector<std::string> rawFrameInput(double fps)
{
    char size[32], rate[32];
    std::snprintf(size, sizeof size, "%dx%d", FRAME_WIDTH, FRAME_HEIGHT);
    std::snprintf(rate, sizeof rate, "%.6g", fps);
    return {"-nostdin", "-y", "-loglevel", "error", "-f", "rawvideo", "-pix_fmt",
            "rgb24",    "-s", size,        "-r",    rate, "-i",       "-"};
}
