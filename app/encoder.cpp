#include "app/encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/frame.h"

bool ffmpegOnPath()
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool startFfmpeg(const std::vector<std::string>& args, Encoder* encoder)
{
    std::vector<const char*> argv = {"ffmpeg"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(fds[0], 0);
        signal(SIGINT, SIG_IGN);
        // Below the drawing threads, so the encoder takes the cycles they
        // leave (the renderer waits on itself every frame) instead of
        // slowing every frame; the frame queue absorbs the lag. Failing to
        // lower it only costs speed.
        [[maybe_unused]] int niceness = nice(10);
        execvp("ffmpeg", (char* const*)argv.data());
        _exit(127);
    }
    close(fds[0]);
    // A whole frame fits in the pipe at once where the system allows it.
    fcntl(fds[1], F_SETPIPE_SZ, FRAME_WIDTH * FRAME_HEIGHT * 3);
    encoder->pid = pid;
    encoder->pipeFd = fds[1];
    return true;
}

bool writeToEncoder(Encoder& encoder, const uint8_t* p, size_t n)
{
    while (n > 0) {
        ssize_t w = write(encoder.pipeFd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= (size_t)w;
    }
    return true;
}

bool finishEncoder(Encoder& encoder)
{
    if (encoder.pipeFd >= 0)
        close(encoder.pipeFd);
    encoder.pipeFd = -1;
    if (encoder.pid < 0)
        return false;
    int status = 0;
    while (waitpid(encoder.pid, &status, 0) < 0 && errno == EINTR) { }
    encoder.pid = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> rawFrameInput(double fps)
{
    char size[32], rate[32];
    std::snprintf(size, sizeof size, "%dx%d", FRAME_WIDTH, FRAME_HEIGHT);
    std::snprintf(rate, sizeof rate, "%.6g", fps);
    return {"-nostdin", "-y", "-loglevel", "error", "-f", "rawvideo", "-pix_fmt",
            "rgb24",    "-s", size,        "-r",    rate, "-i",       "-"};
}
