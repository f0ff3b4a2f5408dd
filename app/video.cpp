// --render: the show drawn headless frame by frame at a fixed rate, piped to
// ffmpeg as raw RGB (with the soundtrack muxed in) or written as numbered PNGs.
// Three things overlap: the GL draws frame k+1 while frame k is read back
// (devtools/readback.h), a writer thread hands finished frames to ffmpeg or
// the PNG encoder, and ffmpeg encodes in its own process.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/framename.h"
#include "app/encoder.h"
#include "app/framequeue.h"
#include "app/headless.h"
#include "app/options.h"
#include "app/outsize.h"
#include "core/datapath.h"
#include "core/errors.h"
#include "core/frame.h"
#include "core/outfile.h"
#include "core/songtime.h"
#include "devtools/png.h"
#include "devtools/readback.h"
#include "music/music.h"
#include "platform/signals.h"
#include "render/caps.h"

struct VideoJob {
    std::string out;
    bool pngSequence = false;
    FramePattern pattern;
    int width = FRAME_WIDTH;  // what is written; frames are drawn at 640x480
    int height = FRAME_HEIGHT;
    double fps = 60.0;
    int crf = 18;
    bool overwrite = false;
    int fromMs = 0;
    int toMs = 0;
    long frames = 0;
    unsigned int glError = 0;  // what stopped the drawing at frame failedFrame
    long failedFrame = 0;
    Encoder encoder;  // not running while PNGs are written here
    OutputFile file;  // the video's temporary file, renamed over `out` at the end
};

static bool endsWith(const std::string& s, const char* tail)
{
    size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

static std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Like mkdir -p: a PNG sequence's folder need not exist yet. Folders with a
// frame number in them are left to fail at the first frame.
static bool makeFolders(const std::string& folder, std::string& why)
{
    struct stat st;
    if (folder.find('%') != std::string::npos || stat(folder.c_str(), &st) == 0)
        return true;
    std::string parent = folderOf(folder);
    if (parent != folder && !makeFolders(parent, why))
        return false;
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        why = folder + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
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

static bool scaled(const VideoJob& job)
{
    return job.width != FRAME_WIDTH || job.height != FRAME_HEIGHT;
}

// Everything a user can get wrong is checked before the start-up work.
static int checkRequest(const Options& o, VideoJob& job)
{
    job.out = o.renderOut;
    job.fps = o.fps;
    job.crf = o.crf;
    job.overwrite = o.overwrite;
    job.width = o.outWidth;
    job.height = o.outHeight;
    job.pngSequence = job.out.find('%') != std::string::npos;
    if (!(o.fps > 0.0) || !std::isfinite(o.fps) || o.fps > 1000.0) {
        logMessage(LOG_ERROR, "--fps must be a positive number up to 1000 (got %g)", o.fps);
        return 2;
    }
    if (o.fromPattern < 0.0 || (o.toPattern >= 0.0 && o.toPattern <= o.fromPattern)) {
        logMessage(LOG_ERROR, "--from must be at least 0 and before --to (got %g to %g)", o.fromPattern, o.toPattern);
        return 2;
    }
    std::string why;
    if (job.pngSequence && !parseFramePattern(job.out, job.pattern, why)) {
        logMessage(LOG_ERROR, "--render %s: %s", job.out.c_str(), why.c_str());
        return 2;
    }
    // ffmpeg writes scaled sequences itself, and it pads numbers with zeros only.
    if (job.pngSequence && !o.sizeText.empty() && job.pattern.width > 0 && !job.pattern.zeroPad) {
        logMessage(LOG_ERROR, "--render %s: with --size the number is written as %%d or %%0Nd", job.out.c_str());
        return 2;
    }
    if (!job.pngSequence && !endsWith(job.out, ".mp4") && !endsWith(job.out, ".mkv")) {
        logMessage(LOG_ERROR, "--render wants a .mp4 or .mkv file, or a PNG pattern such as frames/%%05d.png (got %s)",
                   job.out.c_str());
        return 2;
    }
    if (!job.pngSequence && !outputNameUsable(job.out, why)) {
        logMessage(LOG_ERROR, "--render %s", why.c_str());
        return 1;
    }
    if (!job.pngSequence && !job.overwrite && access(job.out.c_str(), F_OK) == 0) {
        logMessage(LOG_ERROR, "--render %s: the file exists; add --overwrite to replace it", job.out.c_str());
        return 1;
    }
    std::string folder = folderOf(job.out);
    if (job.pngSequence && !makeFolders(folder, why)) {
        logMessage(LOG_ERROR, "--render %s: cannot make the folder %s", job.out.c_str(), why.c_str());
        return 1;
    }
    struct stat st;
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        logMessage(LOG_ERROR, "output folder %s does not exist", folder.c_str());
        return 1;
    }
    if (!folderWritable(folder)) {
        logMessage(LOG_ERROR, "output folder %s is not writable", folder.c_str());
        return 1;
    }
    if (!job.pngSequence && !ffmpegOnPath()) {
        logMessage(LOG_ERROR,
                   "the ffmpeg command is needed for video output and was not found (install the ffmpeg package, or "
                   "render a PNG sequence)");
        return 1;
    }
    if (scaled(job) && !ffmpegOnPath()) {
        logMessage(LOG_ERROR, "the ffmpeg command is needed for --size and was not found (install the ffmpeg package)");
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
        logMessage(LOG_ERROR, "the song lasts %.3f patterns; --from/--to must lie inside it",
                   patternsForMillis(length));
        return 2;
    }
    job.frames = (long)std::floor((job.toMs - job.fromMs) * job.fps / 1000.0);
    if (job.frames < 1) {
        logMessage(LOG_ERROR, "the range holds no whole frame at %g fps", job.fps);
        return 2;
    }
    std::string why;
    for (long k = 0; job.pngSequence && k < job.frames; k++) {
        std::string name = frameName(job.pattern, k);
        if (!outputNameUsable(name, why)) {
            logMessage(LOG_ERROR, "--render %s", why.c_str());
            return 1;
        }
        if (!job.overwrite && access(name.c_str(), F_OK) == 0) {
            logMessage(LOG_ERROR, "--render %s: frame %s exists; add --overwrite to replace the frames",
                       job.out.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}

// At 640x480 x264's "superfast" preset: "veryfast" took a third more of the
// encoder's CPU time, which the drawing needs, for files a sixth smaller.
// Other sizes are scaled on the way in and tagged BT.709, and encoded with
// the fastest preset: at 1920x1080 "veryfast" costs five times the 640x480
// encode and made a render 45% slower, for files 2.2 times smaller. At crf 18
// all are visually lossless (the fastest measured the higher PSNR), and these
// files are masters for sites that re-encode them.
static std::vector<std::string> videoArguments(const VideoJob& job)
{
    char from[32], dur[32];
    std::snprintf(from, sizeof from, "%.3f", job.fromMs / 1000.0);
    std::snprintf(dur, sizeof dur, "%.6f", job.frames / job.fps);
    std::vector<std::string> args = rawFrameInput(job.fps);
    const char* preset = scaled(job) ? "ultrafast" : "superfast";
    std::vector<std::string> rest = {
        "-ss",      from,      "-t",      dur,    "-i",   dataPath("tunemix.mp3"),
        "-map",     "0:v",     "-map",    "1:a",  "-vf",  outputFilter(job.width, job.height, true),
        "-c:v",     "libx264", "-preset", preset, "-crf", std::to_string(job.crf),
        "-pix_fmt", "yuv420p"};
    args.insert(args.end(), rest.begin(), rest.end());
    if (scaled(job)) {
        for (const char* a :
             {"-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv"})
            args.push_back(a);
    }
    for (const char* a : {"-c:a", "aac", "-b:a", "192k", "-shortest"})
        args.push_back(a);
    args.push_back(job.file.temp);
    return args;
}

// Scaled PNG sequences come from ffmpeg's image writer, numbered from 0 like
// the ones written here, each renamed into place once complete.
static std::vector<std::string> scaledPngArguments(const VideoJob& job)
{
    std::vector<std::string> args = rawFrameInput(job.fps);
    std::vector<std::string> rest = {"-vf",
                                     outputFilter(job.width, job.height, false),
                                     "-pix_fmt",
                                     "rgb24",
                                     "-f",
                                     "image2",
                                     "-atomic_writing",
                                     "1",
                                     "-start_number",
                                     "0",
                                     job.out};
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
}

static bool startEncoder(VideoJob& job)
{
    if (job.pngSequence && !scaled(job))
        return true;
    std::string why;
    if (!job.pngSequence && !beginOutput(job.out, job.file, why)) {
        logMessage(LOG_ERROR, "%s", why.c_str());
        return false;
    }
    if (job.file.fd >= 0)
        close(job.file.fd);  // ffmpeg opens it by name
    job.file.fd = -1;
    if (startFfmpeg(job.pngSequence ? scaledPngArguments(job) : videoArguments(job), &job.encoder, why))
        return true;
    logMessage(LOG_ERROR, "could not start ffmpeg: %s", why.c_str());
    abandonOutput(job.file);
    return false;
}

// ffmpeg's atomic writing leaves its "NAME.tmp" behind when a frame fails.
static void removeAtomicLeftovers(const VideoJob& job)
{
    for (long k = 0; job.pngSequence && scaled(job) && k < job.frames; k++)
        unlink((frameName(job.pattern, k) + ".tmp").c_str());
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
    logProgress(tty && !final, "frame %ld of %ld, %.1f fps, %.0f s left", done, total, rate, left);
}

static bool emitFrame(VideoJob& job, long k, const uint8_t* rgb)
{
    if (encoderRunning(job.encoder))
        return writeToEncoder(job.encoder, rgb, (size_t)FRAME_WIDTH * FRAME_HEIGHT * 3);
    char err[4200];
    std::string name = frameName(job.pattern, k);
    if (!writePng(name.c_str(), rgb, FRAME_WIDTH, FRAME_HEIGHT, err, sizeof err)) {
        logMessage(LOG_ERROR, "%s", err);
        return false;
    }
    return true;
}

// Ctrl+C is for the drawing loop, which stops and lets this thread write
// what was drawn.
static void writeFrames(VideoJob* job)
{
    leaveInterruptsToOtherThreads();
    long k = 0;
    while (const uint8_t* rgb = frameQueueTake(&k))
        frameQueueRelease(emitFrame(*job, k, rgb));
}

// Frame k is the picture at from + k/fps seconds. With buffered read-back a
// frame's pixels arrive while the next one is drawn, so `read` trails `k`.
static void drawFrames(VideoJob& job, std::chrono::steady_clock::time_point start)
{
    readbackBegin(FRAME_WIDTH, FRAME_HEIGHT);
    long read = 0;
    long k = 0;
    bool stopped = false;
    for (; k < job.frames && !interruptRequested() && !stopped; k++) {
        job.glError = drawFrameAtMillisNoWait(job.fromMs + (int)std::floor(k * 1000.0 / job.fps));
        if (job.glError) {
            job.failedFrame = k;
            break;
        }
        uint8_t* slot = frameQueueSlot();
        if (!slot) {
            stopped = true;
            break;
        }
        if (readbackPush(slot))
            frameQueuePush(read++);
        if (*readbackFailure()) {
            stopped = true;
            break;
        }
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        reportProgress(k + 1, job.frames, secs, false);
    }
    uint8_t* slot = stopped ? nullptr : frameQueueSlot();
    if (slot && readbackDrain(slot))
        frameQueuePush(read++);
    readbackEnd();
}

static int renderFrames(VideoJob& job)
{
    auto start = std::chrono::steady_clock::now();
    frameQueueOpen((size_t)FRAME_WIDTH * FRAME_HEIGHT * 3);
    std::thread writer(writeFrames, &job);
    drawFrames(job, start);
    frameQueueClose();
    writer.join();
    bool ok = !frameQueueFailed();
    long written = frameQueueWritten();
    frameQueueFree();
    bool viaFfmpeg = encoderRunning(job.encoder);
    bool encoded = !viaFfmpeg || finishEncoder(job.encoder);
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    reportProgress(written, job.frames, secs, true);
    if (!encoded) {
        abandonOutput(job.file);
        removeAtomicLeftovers(job);
        logMessage(LOG_ERROR, "ffmpeg could not write %s (disk full?); nothing was changed there", job.out.c_str());
        return 1;
    }
    const char* unfinished = job.pngSequence ? "is incomplete" : "was not written";
    if (job.glError) {
        abandonOutput(job.file);
        logMessage(LOG_ERROR, "the GL failed (%s) drawing frame %ld; %s %s", glErrorName(job.glError),
                   job.failedFrame, job.out.c_str(), unfinished);
        return 1;
    }
    if (*readbackFailure()) {
        abandonOutput(job.file);
        logMessage(LOG_ERROR, "%s", readbackFailure());
        logMessage(LOG_ERROR, "%s %s", job.out.c_str(), unfinished);
        return 1;
    }
    if (!ok) {
        abandonOutput(job.file);
        if (viaFfmpeg)
            logMessage(LOG_ERROR, "ffmpeg stopped taking frames; %s %s", job.out.c_str(), unfinished);
        return 1;
    }
    // An interrupted render still leaves the playable part under the name.
    std::string why;
    if (!job.file.temp.empty() && !commitOutput(job.file, why)) {
        logMessage(LOG_ERROR, "%s", why.c_str());
        return 1;
    }
    if (!interruptRequested())
        return 0;
    logMessage(LOG_ERROR, "interrupted; %s holds the %ld frames rendered", job.out.c_str(), written);
    return 130;
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
    reportFailedWritesAsErrors();  // a full disk or size limit shows up as a failed write
    catchInterrupts();
    if (!startEncoder(job))
        return 1;
    return renderFrames(job);
}
