// --render: the show drawn headless frame by frame at a fixed rate, piped to
// ffmpeg as raw RGB (with the soundtrack muxed in) or written as numbered PNGs.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/framename.h"
#include "app/headless.h"
#include "app/options.h"
#include "core/datapath.h"
#include "core/frame.h"
#include "core/songtime.h"
#include "devtools/png.h"
#include "music/music.h"

static volatile sig_atomic_t interrupted = 0;

static void onInterrupt(int)
{
    interrupted = 1;
}

struct VideoJob {
    std::string out;
    bool pngSequence = false;
    FramePattern pattern;
    double fps = 60.0;
    int fromMs = 0;
    int toMs = 0;
    long frames = 0;
    pid_t encoder = -1;
    int pipeFd = -1;
};

static bool endsWith(const std::string& s, const char* tail)
{
    size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

static bool onPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

static std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// access() says yes to root everywhere; making a file is the real test.
static bool folderWritable(const std::string& folder)
{
    std::string probe = folder + "/.zant-write-test-" + std::to_string(getpid());
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

// Everything a user can get wrong is checked before the start-up work.
static int checkRequest(const Options& o, VideoJob& job)
{
    job.out = o.renderOut;
    job.fps = o.fps;
    job.pngSequence = job.out.find('%') != std::string::npos;
    if (!(o.fps > 0.0) || !std::isfinite(o.fps) || o.fps > 1000.0) {
        std::fprintf(stderr, "zant: --fps must be a positive number up to 1000 (got %g)\n", o.fps);
        return 2;
    }
    if (o.fromPattern < 0.0 || (o.toPattern >= 0.0 && o.toPattern <= o.fromPattern)) {
        std::fprintf(stderr, "zant: --from must be at least 0 and before --to (got %g to %g)\n", o.fromPattern,
                     o.toPattern);
        return 2;
    }
    std::string why;
    if (job.pngSequence && !parseFramePattern(job.out, job.pattern, why)) {
        std::fprintf(stderr, "zant: --render %s: %s\n", job.out.c_str(), why.c_str());
        return 2;
    }
    if (!job.pngSequence && !endsWith(job.out, ".mp4") && !endsWith(job.out, ".mkv")) {
        std::fprintf(stderr, "zant: --render wants a .mp4 or .mkv file, or a PNG pattern such as "
                             "frames/%%05d.png (got %s)\n", job.out.c_str());
        return 2;
    }
    std::string folder = folderOf(job.out);
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "zant: output folder %s does not exist\n", folder.c_str());
        return 1;
    }
    if (!folderWritable(folder)) {
        std::fprintf(stderr, "zant: output folder %s is not writable\n", folder.c_str());
        return 1;
    }
    if (!job.pngSequence && !onPath("ffmpeg")) {
        std::fprintf(stderr, "zant: the ffmpeg command is needed for video output and was not found "
                             "(install the ffmpeg package, or render a PNG sequence)\n");
        return 1;
    }
    return 0;
}

static int checkRange(const Options& o, VideoJob& job)
{
    int length = songLengthMillis();
    job.fromMs = millisForPatterns(o.fromPattern);
    job.toMs = o.toPattern < 0.0 ? length : millisForPatterns(o.toPattern);
    if (job.fromMs >= length || job.toMs > length) {
        std::fprintf(stderr, "zant: the song lasts %.3f patterns; --from/--to must lie inside it\n",
                     patternsForMillis(length));
        return 2;
    }
    job.frames = (long)std::floor((job.toMs - job.fromMs) * job.fps / 1000.0);
    if (job.frames < 1) {
        std::fprintf(stderr, "zant: the range holds no whole frame at %g fps\n", job.fps);
        return 2;
    }
    return 0;
}

static bool startEncoder(VideoJob& job)
{
    char fps[32], size[32], from[32], dur[32];
    std::snprintf(size, sizeof size, "%dx%d", FRAME_WIDTH, FRAME_HEIGHT);
    std::snprintf(fps, sizeof fps, "%.6g", job.fps);
    std::snprintf(from, sizeof from, "%.3f", job.fromMs / 1000.0);
    std::snprintf(dur, sizeof dur, "%.6f", job.frames / job.fps);
    std::string music = dataPath("tunemix.mp3");
    std::vector<const char*> argv = {"ffmpeg", "-nostdin", "-y", "-loglevel", "error",
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size, "-r", fps, "-i", "-",
                                     "-ss", from, "-t", dur, "-i", music.c_str(),
                                     "-map", "0:v", "-map", "1:a", "-vf", "vflip",
                                     "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                                     "-c:a", "aac", "-b:a", "192k", "-shortest", job.out.c_str(), nullptr};
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        signal(SIGINT, SIG_IGN);  // we stop it by closing the pipe, so the file is finished
        execvp("ffmpeg", (char* const*)argv.data());
        _exit(127);
    }
    close(fds[0]);
    job.encoder = pid;
    job.pipeFd = fds[1];
    return true;
}

static bool writeAll(int fd, const uint8_t* p, size_t n)
{
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= (size_t)w;
    }
    return true;
}

static bool finishEncoder(VideoJob& job)
{
    if (job.pipeFd >= 0)
        close(job.pipeFd);
    int status = 0;
    while (waitpid(job.encoder, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

static void reportProgress(long done, long total, double seconds, bool final)
{
    static double lastPrinted = -1e9;
    bool tty = isatty(2);
    if (!final && !tty && seconds - lastPrinted < 5.0)
        return;
    if (!final && tty && seconds - lastPrinted < 0.2)
        return;
    lastPrinted = seconds;
    double rate = seconds > 0 ? done / seconds : 0.0;
    double left = rate > 0 ? (total - done) / rate : 0.0;
    std::fprintf(stderr, "%sframe %ld of %ld, %.1f fps, %.0f s left%s", tty ? "\r" : "", done, total, rate, left,
                 tty && !final ? "   " : "\n");
}

static bool emitFrame(VideoJob& job, long k, const std::vector<uint8_t>& rgb)
{
    if (!job.pngSequence)
        return writeAll(job.pipeFd, rgb.data(), rgb.size());
    char err[4200];
    std::string name = frameName(job.pattern, k);
    if (!writePng(name.c_str(), rgb.data(), FRAME_WIDTH, FRAME_HEIGHT, err, sizeof err)) {
        std::fprintf(stderr, "\nzant: %s\n", err);
        return false;
    }
    return true;
}

static int renderFrames(VideoJob& job)
{
    std::vector<uint8_t> rgb;
    auto start = std::chrono::steady_clock::now();
    long k = 0;
    bool ok = true;
    for (; k < job.frames && !interrupted; k++) {
        drawFrameAtMillis(job.fromMs + (int)std::floor(k * 1000.0 / job.fps));
        readFrameRgb(rgb, FRAME_WIDTH, FRAME_HEIGHT);
        if (!emitFrame(job, k, rgb)) {
            ok = false;
            break;
        }
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        reportProgress(k + 1, job.frames, secs, false);
    }
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    reportProgress(k, job.frames, secs, true);
    if (!job.pngSequence && !finishEncoder(job)) {
        std::fprintf(stderr, "zant: ffmpeg could not write %s (disk full?)\n", job.out.c_str());
        return 1;
    }
    if (!ok) {
        if (!job.pngSequence)
            std::fprintf(stderr, "zant: ffmpeg stopped taking frames; %s is incomplete\n", job.out.c_str());
        return 1;
    }
    if (interrupted)
        std::fprintf(stderr, "zant: interrupted; %s holds the %ld frames rendered\n", job.out.c_str(), k);
    return interrupted ? 130 : 0;
}

int runVideo(const Options& options)
{
    VideoJob job;
    int status = checkRequest(options, job);
    if (status != 0)
        return status;
    if (!headlessStartup())
        return 1;
    status = checkRange(options, job);
    if (status != 0)
        return status;
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);  // a full disk or size limit shows up as a failed write
    signal(SIGINT, onInterrupt);
    signal(SIGTERM, onInterrupt);
    if (!job.pngSequence && !startEncoder(job)) {
        std::fprintf(stderr, "zant: could not start ffmpeg: %s\n", std::strerror(errno));
        return 1;
    }
    return renderFrames(job);
}
