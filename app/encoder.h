// The ffmpeg command as a child process that reads raw frames from a pipe:
// the video encoder of --render and the scaler of --size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"

struct Encoder {
    PipedProgram program;  // id -1 while none runs
};

bool ffmpegOnPath();
// Starts ffmpeg with `args` (after the program name) and its standard input
// on a pipe, at a lower priority than the drawing. Ctrl+C does not reach it:
// closing the pipe lets it finish the file. False with the reason in why.
bool startFfmpeg(const std::vector<std::string>& args, Encoder* encoder, std::string& why);
bool encoderRunning(const Encoder& encoder);
// False once ffmpeg stopped taking data.
bool writeToEncoder(Encoder& encoder, const uint8_t* data, size_t bytes);
// Closes the pipe and waits: true when ffmpeg finished without an error.
bool finishEncoder(Encoder& encoder);

// ffmpeg's input options for raw frames as GL reads them: RGB, 640x480,
// bottom row first (the output filter flips them).
std::vector<std::string> rawFrameInput(double fps);
