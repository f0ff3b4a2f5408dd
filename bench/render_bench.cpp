// Where the time of --render goes, side by side in one run: the frames alone
// (draw and wait for the GL), the frames read back as --render reads them,
// and the real program rendering an MP4 (start-up, encoder and sound
// included), for patterns 22-24 at 60 fps and for the whole song; the
// stretch also at --size 1920x1080. Every figure includes a start-up: the
// first two columns add the one measured here. Ratios are to the stretch's
// playing time. The last column says how much CPU time other processes took
// meanwhile: on a shared machine only rows with little of it are worth quoting.
// The frames-only figure is also taken on the OpenGL ES layer (--gles), in a
// child process that takes turns with this one.
// Usage: bench_render [--zant PATH] [--data DIR] [--quick] [--runs N]
//   --zant  the program for the MP4 columns (default: ../zant beside this one)
//   --quick the stretch only, without the whole song
//   --runs  each stretch figure is the median of N runs (default 3): a shared
//           virtual machine's speed drifts by 10-20% from one run to the next
//           (the whole song runs once)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/headless.h"
#include "bench/both_paths.h"
#include "core/datapath.h"
#include "core/frame.h"
#include "core/songtime.h"
#include "devtools/png.h"
#include "music/music.h"
#include "platform/gl.h"

// Built against a tree from before the buffered read-back, the same program
// times that tree's read-back (glReadPixels after glFinish).
#if __has_include("devtools/readback.h")
#include "devtools/readback.h"
#define HAVE_READBACK 1
#endif

static double nowSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// CPU seconds of every process on the machine (from /proc/stat) and of this
// one with its children, so the difference is what others used.
static double machineBusy()
{
    FILE* f = std::fopen("/proc/stat", "r");
    unsigned long long v[8] = {};
    if (f) {
        if (std::fscanf(f, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                        &v[6], &v[7]) != 8)
            v[0] = v[1] = v[2] = v[5] = v[6] = v[7] = 0;
        std::fclose(f);
    }
    return (double)(v[0] + v[1] + v[2] + v[5] + v[6] + v[7]) / (double)sysconf(_SC_CLK_TCK);
}

static double ownBusy()
{
    double total = 0.0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
    }
    return total;
}

struct Stretch {
    const char* name;
    int fromMs, toMs;
    long frames;
};

static int frameMillis(const Stretch& s, long k)
{
    return s.fromMs + (int)std::floor(k * 1000.0 / 60.0);
}

static double framesOnly(const Stretch& s)
{
    double t0 = nowSeconds();
    for (long k = 0; k < s.frames; k++)
        drawFrameAtMillis(frameMillis(s, k));
    return nowSeconds() - t0;
}

static double framesReadBack(const Stretch& s, const char** way)
{
    std::vector<uint8_t> rgb((size_t)FRAME_WIDTH * FRAME_HEIGHT * 3);
    double t0 = nowSeconds();
#ifdef HAVE_READBACK
    *way = readbackBegin(FRAME_WIDTH, FRAME_HEIGHT) ? "buffered (two pixel buffer objects)" : "plain glReadPixels";
    for (long k = 0; k < s.frames; k++) {
        drawFrameAtMillisNoWait(frameMillis(s, k));
        readbackPush(rgb.data());
    }
    readbackDrain(rgb.data());
    readbackEnd();
#else
    *way = "glFinish + glReadPixels";
    for (long k = 0; k < s.frames; k++) {
        drawFrameAtMillis(frameMillis(s, k));
        readFrameRgb(rgb, FRAME_WIDTH, FRAME_HEIGHT);
    }
#endif
    return nowSeconds() - t0;
}

static double fullRender(const std::string& zant, const Stretch& s, const char* size)
{
    char from[32], to[32];
    std::snprintf(from, sizeof from, "%.6f", patternsForMillis(s.fromMs));
    std::snprintf(to, sizeof to, "%.6f", patternsForMillis(s.toMs));
    std::string out = "/tmp/bench_render_" + std::to_string(getpid()) + ".mp4";
    std::vector<const char*> argv = {zant.c_str(), "--data", dataDir.c_str(), "--render", out.c_str(), "--fps", "60",
                                     "--from",     from,     "--to",          to,   "--overwrite"};
    if (size) {
        argv.push_back("--size");
        argv.push_back(size);
    }
    argv.push_back(nullptr);
    double t0 = nowSeconds();
    pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stderr);
        execv(zant.c_str(), (char* const*)argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    double took = nowSeconds() - t0;
    std::remove(out.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took : -1.0;
}

static double median(int runs, const std::function<double()>& run)
{
    std::vector<double> took;
    for (int i = 0; i < runs; i++)
        took.push_back(run());
    std::sort(took.begin(), took.end());
    return took[took.size() / 2];
}

static void cell(double seconds, double length)
{
    if (seconds < 0)
        std::printf(" failed |");
    else
        std::printf(" %6.1f s %5.2fx |", seconds, seconds / length);
}

int main(int argc, char** argv)
{
    std::string zant = std::string(argv[0]).substr(0, std::string(argv[0]).rfind('/') + 1) + "../zant";
    bool quick = false;
    int runs = 3;
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--data") && i + 1 < argc)
            dataDir = argv[++i];
        else if (!std::strcmp(argv[i], "--zant") && i + 1 < argc)
            zant = argv[++i];
        else if (!std::strcmp(argv[i], "--quick"))
            quick = true;
        else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }
    auto stretchList = [quick] {
        std::vector<Stretch> list = {{"patterns 22-24", millisForPatterns(22), millisForPatterns(24), 0}};
        if (!quick)
            list.push_back({"whole song", 0, songLengthMillis(), 0});
        for (Stretch& s : list)
            s.frames = (long)std::floor((s.toMs - s.fromMs) * 60.0 / 1000.0);
        return list;
    };
    PathChild esChild;
    bool esChildStarted = startEsChild(esChild, [&](int k) {
        std::vector<Stretch> list = stretchList();
        return std::vector<double>{framesOnly(list[(size_t)k])};
    });
    double t0 = nowSeconds();
    if (!headlessStartup())
        return 1;
    double startup = nowSeconds() - t0;
    std::vector<Stretch> stretches = stretchList();

    std::printf("Render split at 60 fps (%s, in-process start-up %.2f s)\n", (const char*)glGetString(GL_RENDERER),
                startup);
    std::printf("| stretch | length | frames only | frames only, GLES | frames + read-back | MP4 640x480 | "
                "MP4 1920x1080 | others' CPU |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    const char* way = "";
    for (const Stretch& s : stretches) {
        double length = (s.toMs - s.fromMs) / 1000.0;
        double othersFrom = machineBusy() - ownBusy();
        std::printf("| %s (%ld frames) | %.2f s |", s.name, s.frames, length);
        std::fflush(stdout);
        int n = &s == &stretches[0] ? runs : 1;
        cell(median(n, [&] { return startup + framesOnly(s); }), length);
        std::fflush(stdout);
        int k = (int)(&s - &stretches[0]);
        cell(median(n, [&] {
                 std::vector<double> es = esChildStarted ? askEsChild(esChild, k) : std::vector<double>();
                 return es.empty() ? -1.0 : startup + es[0];
             }),
             length);
        std::fflush(stdout);
        cell(median(n, [&] { return startup + framesReadBack(s, &way); }), length);
        std::fflush(stdout);
        cell(median(n, [&] { return fullRender(zant, s, nullptr); }), length);
        std::fflush(stdout);
        if (&s == &stretches[0])
            cell(median(n, [&] { return fullRender(zant, s, "1920x1080"); }), length);
        else
            std::printf(" - |");
        std::printf(" %.1f s |\n", machineBusy() - ownBusy() - othersFrom);
    }
    if (esChildStarted)
        stopEsChild(esChild);
    std::printf("read-back: %s; MP4 columns: %s; stretch figures: median of %d runs; the GLES column adds the "
                "desktop start-up\n",
                way, zant.c_str(), runs);
    return 0;
}
