// The show in a web page: the same start-up and frame function as the
// desktop run, driven by the browser's animation frames instead of a loop
// that blocks. The start-up runs one step a frame, its pauses counted in
// frames; the song clock follows the page's Web Audio clock, and what the
// keys do to the clock (pause, seeks, loops) goes back to the page.
// ?still=T draws the one frame at T with the offline clock and tells the page.
// ?bench=A:B,C:D,... times frames drawn across each span of patterns.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/display.h"
#include "app/frameloop.h"
#include "app/keys.h"
#include "app/options.h"
#include "app/startup.h"
#include "core/datapath.h"
#include "core/errors.h"
#include "core/runstate.h"
#include "core/songtime.h"
#include "music/music.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/gl.h"
#include "platform/web/page.h"
#include "render/caps.h"

static const float songBpmConstant = 180.0f;
static const double framesPerMilli = 60.0 / 1000.0;  // the pauses counted at 60 frames a second

struct WebShow {
    Options options;
    Startup startup;
    int waitFrames = 0;
    bool still = false;
    bool running = false;
    // ?bench: pattern spans to time, frames drawn in each, the next span.
    std::vector<std::pair<double, double>> benchSpans;
    int benchFrames = 20;
    std::string badBench;  // spans that did not read, said once the page can show it
    size_t benchNext = 0;
    // The clock as the page last had it, to see what a key changed.
    long long sample = 0;
    bool paused = false;
    SongLoop loop;
};
static WebShow show;

static long long toSongSamples(double pageFrame)
{
    return (long long)std::llround(pageFrame * SONG_RATE / pageSongRate());
}

static double toPageFrames(long long sample)
{
    return (double)sample * pageSongRate() / SONG_RATE;
}

// The clock is the sound layer's offline clock, set each frame to what the
// page plays: the spectrum is computed at that sample from the same samples.
static void startSoundtrack()
{
    startMusicOffline(dataPath("tunemix.mp3").c_str(), songBpmConstant);
    const Options& o = show.options;
    if (show.still)
        return;
    if (o.loop) {
        setSongLoop(true, o.loopStart, o.loopEnd);
        pageSetLoop(true, toPageFrames(samplesAtPatterns(o.loopStart, SONG_RATE)),
                    toPageFrames(samplesAtPatterns(o.loopEnd, SONG_RATE)));
    }
    long long start = 0;
    if (o.startPattern > 0.0)
        start = samplesAtPatterns(o.startPattern, SONG_RATE);
    else if (o.loop)
        start = samplesAtPatterns(o.loopStart, SONG_RATE);
    if (start > 0)
        pageSeekFrame(toPageFrames(start));
    pageSetPaused(false);
    show.sample = toSongSamples(pageSongFrame());
}

// What a key did to the clock goes to the page, which plays accordingly.
static void sendClockChanges()
{
    if (songPaused() != show.paused) {
        show.paused = songPaused();
        pageSetPaused(show.paused);
        // The page went on playing since this frame read its clock: paused,
        // it stands where the picture does.
        if (show.paused)
            pageSeekFrame(toPageFrames(songSample()));
    }
    SongLoop loop = songLoop();
    if (loop.on != show.loop.on || loop.start != show.loop.start || loop.end != show.loop.end) {
        show.loop = loop;
        pageSetLoop(loop.on, toPageFrames(samplesAtPatterns(loop.start, SONG_RATE)),
                    toPageFrames(samplesAtPatterns(loop.end, SONG_RATE)));
    }
    if (songSample() != show.sample) {
        show.sample = songSample();
        pageSeekFrame(toPageFrames(show.sample));
    }
}

static void followPageClock()
{
    if (!show.paused)
        seekSongSample(toSongSamples(pageSongFrame()));
    show.sample = songSample();
}

static void stop()
{
    stopEveryFrame();
    show.running = false;
}

static void drawStill()
{
    setSongMillis(millisForPatterns(show.options.stills[0]));
    if (unsigned int error = drawShowFrame())
        logMessage(LOG_ERROR, "the GL failed (%s) drawing song time %.4f", glErrorName(error), show.options.stills[0]);
    pageStillDone();
    stop();
}

static double nowMillis()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One span a browser frame: its frames drawn one after another, each to the
// end of the GL's work, as the native benchmark times them. The figures go
// to the console as "bench FROM TO MEDIAN P95" (milliseconds).
static void benchFrame()
{
    if (show.benchNext == show.benchSpans.size()) {
        pageStillDone();
        stop();
        return;
    }
    auto [from, to] = show.benchSpans[show.benchNext++];
    std::vector<double> ms;
    for (int i = 0; i < show.benchFrames; i++) {
        double t = from + (to - from) * (i + 0.5) / show.benchFrames;
        double t0 = nowMillis();
        setSongMillis(millisForPatterns(t));
        drawShowFrame();
        // A browser's glFinish returns before the work is done; reading a
        // pixel back waits for it.
        unsigned char pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        ms.push_back(nowMillis() - t0);
    }
    std::sort(ms.begin(), ms.end());
    logMessage(LOG_INFO, "bench %g %g %.2f %.2f", from, to, ms[ms.size() / 2],
               ms[std::min(ms.size() - 1, (size_t)((double)ms.size() * 0.95))]);
}

static void playFrame()
{
    followPageClock();
    Event event;
    while (pollEvent(event)) {
        if (event.type == EVENT_QUIT)
            quitRequested += 1;
        windowProc(event);
    }
    sendClockChanges();
    if (quitRequested != 0 || pageSongEnded()) {
        pageFinished();
        stop();
        return;
    }
    drawWindowFrame();
}

// One start-up step per frame, a pause as that many frames; the still has
// no pauses (nobody watches it being made).
static void startupFrame()
{
    if (show.waitFrames > 0) {
        show.waitFrames--;
        return;
    }
    int pause = startupStep(show.startup);
    if (pause == STARTUP_FAILED)
        fatalError(show.startup.failure.c_str());
    if (pause > 0 && !show.still)
        show.waitFrames = (int)std::ceil(pause * framesPerMilli);
}

static void frame()
{
    if (show.startup.next != STARTUP_DONE) {
        startupFrame();
        return;
    }
    if (!show.benchSpans.empty())
        benchFrame();
    else if (show.still)
        drawStill();
    else
        playFrame();
}

// "A:B,C:D,..." as pattern spans; false at the first that is not one.
static bool readBenchSpans(const char* text, std::vector<std::pair<double, double>>& spans)
{
    while (*text) {
        char* end = nullptr;
        double from = std::strtod(text, &end);
        if (end == text || *end != ':')
            return false;
        text = end + 1;
        double to = std::strtod(text, &end);
        if (end == text || to <= from || (*end != ',' && *end != '\0'))
            return false;
        spans.emplace_back(from, to);
        text = *end ? end + 1 : end;
    }
    return !spans.empty();
}

// The page's own switches, taken out before the program's option parser:
// --bench SPANS [--bench-frames N] times frames instead of playing. A still
// needs no file name.
static std::vector<std::string> pageArguments(int argc, char** argv)
{
    std::vector<std::string> args;
    int stills = 0;
    for (int i = 0; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--bench" && i + 1 < argc) {
            const char* spans = argv[++i];
            if (!readBenchSpans(spans, show.benchSpans))
                show.badBench = spans;
            continue;
        }
        if (a == "--bench-frames" && i + 1 < argc) {
            show.benchFrames = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        stills += a == "--still";
        args.push_back(a);
    }
    for (int i = 0; i < stills; i++) {
        args.push_back("--out");
        args.push_back("/still.png");
    }
    return args;
}

int main(int argc, char** argv)
{
    std::vector<std::string> args = pageArguments(argc, argv);
    std::vector<char*> argp;
    for (std::string& a : args)
        argp.push_back(a.data());
    int status = parseOptions((int)argp.size(), argp.data(), show.options);
    if (status >= 0)
        return status;
    installFatalErrorDisplay();
    if (!show.badBench.empty())
        fatalError(("?bench=" + show.badBench + " is not a list of pattern spans such as 0:6,6:10").c_str());
    dataDir = show.options.dataGiven ? show.options.dataDir : std::string("/data");
    overlayEnabled = show.options.overlay ? 1 : 0;
    show.still = !show.options.stills.empty() || !show.benchSpans.empty();
    show.startup.openDisplay = openHeadlessDisplay;
    show.startup.startSoundtrack = startSoundtrack;
    show.running = true;
    runEveryFrame(frame);
    return 0;
}
