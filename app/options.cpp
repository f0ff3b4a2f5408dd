#include "app/options.h"
#include "app/datafolder.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/errors.h"
#include "core/songtime.h"
#include "music/music.h"
#include "scenes/timeline.h"

#include "app/outsize.h"

// Limits are checked after parsing, so the help shows plain option lines.
static void addDisplayOptions(CLI::App& app, Options& o, bool& windowed, bool& fullscreen)
{
    app.add_flag("--windowed", windowed, "Run in a 640x480 window (skip the question)");
    app.add_flag("--fullscreen", fullscreen, "Switch the display to 640x480 (skip the question)");
    app.add_flag("--fullscreen-desktop", o.fullscreenDesktop,
                 "Fullscreen at the desktop's resolution, picture kept 4:3");
    app.add_option("--scale", o.scale, "Window scale factor, 1 to 8 (2 gives 1280x960)")->type_name("N");
    app.add_flag_callback(
        "--no-vsync", [&o]() { o.vsync = false; }, "Don't wait for the vertical blank");
    app.add_flag("--gles", o.gles, "Draw on OpenGL ES 3 through the program's own fixed-function layer");
    app.add_flag("--overlay", o.overlay, "Start with the status overlay on (i switches it), in stills too");
}

static void addSoundOptions(CLI::App& app, Options& o)
{
    app.add_flag("--nosound", o.nosound, "Open no audio device; the song plays silently on the clock");
    app.add_option("--audio-offset", o.audioOffsetMs,
                   "Milliseconds the picture runs behind the sound (for laggy outputs)")
        ->type_name("MS");
    app.add_option("--data", o.dataDir, "Folder with tunemix.mp3 and the pictures (default: searched, see below)")
        ->type_name("DIR");
    app.add_option("--start", o.startPattern, "Start the show at pattern P")->type_name("P");
    app.add_option("--freeze", o.freezePattern,
                   "Hold the show at pattern P, silent, to study one moment (keys still seek)")
        ->type_name("P");
}

static void addDevOptions(CLI::App& app, Options& o, std::string& loop)
{
    app.add_option("--loop", loop, "Play patterns A to B round and round (e.g. 12:14); l switches it off")
        ->type_name("A:B");
    app.add_flag("--watch", o.watch, "Reload a picture or the soundtrack as soon as it changes in the data folder");
}

// "A:B" with finite numbers, 0 <= A < B.
static bool parseLoop(const std::string& text, Options& o)
{
    const char* s = text.c_str();
    char* end = nullptr;
    double a = std::strtod(s, &end);
    bool ok = end != s && *end == ':';
    double b = 0.0;
    if (ok) {
        const char* second = end + 1;
        b = std::strtod(second, &end);
        ok = end != second && *end == '\0';
    }
    if (!ok) {
        logMessage(LOG_ERROR, "--loop %s: give two patterns as A:B, e.g. --loop 12:14", s);
        return false;
    }
    if (!std::isfinite(a) || !std::isfinite(b) || a < 0.0 || b <= a) {
        logMessage(LOG_ERROR, "--loop %s: the start must be 0 or more and come before the end", s);
        return false;
    }
    o.loop = true;
    o.loopStart = a;
    o.loopEnd = b;
    return true;
}

// A millisecond of slack: the song's length is rounded down to whole ms.
bool loopFitsSong(const Options& options, int songMillis)
{
    if (!options.loop || songMillis < 0)
        return true;
    double length = patternsForMillis(songMillis + 1.0);
    if (options.loopEnd <= length)
        return true;
    logMessage(LOG_ERROR, "--loop %g:%g: the song ends at pattern %.2f", options.loopStart, options.loopEnd,
               patternsForMillis(songMillis));
    return false;
}

static void addHeadlessOptions(CLI::App& app, Options& o)
{
    app.add_option("--still", o.stills, "Render the frame at song time T (patterns) headless; repeatable")
        ->type_name("T")
        ->allow_extra_args(false)
        ->take_all();
    app.add_option("--out", o.outs, "PNG file for the matching --still; repeatable")
        ->type_name("FILE.png")
        ->allow_extra_args(false)
        ->take_all();
    app.add_option("--render", o.renderOut, "Render the show headless to a video (.mp4/.mkv) or PNG pattern")
        ->type_name("OUT");
    app.add_option("--fps", o.fps, "Frames per second for --render")->type_name("N")->capture_default_str();
    app.add_option("--from", o.fromPattern, "First pattern for --render")->type_name("P");
    app.add_option("--to", o.toPattern, "Last pattern for --render (default: end of song)")->type_name("P");
    app.add_option("--size", o.sizeText,
                   "Output size for --render and --still, e.g. 1920x1080: the show scaled up, kept 4:3 on black")
        ->type_name("WxH");
    app.add_option("--crf", o.crf, "Video quality for --render, 0 (lossless) to 51 (smallest); default 18")
        ->type_name("N");
    app.add_flag("--overwrite", o.overwrite, "Let --render replace a video or frames that already exist");
}

// A size is checked before any start-up work, so a typo costs nothing.
static int checkSize(Options& o)
{
    if (o.sizeText.empty())
        return -1;
    if (o.renderOut.empty() && o.stills.empty()) {
        logMessage(LOG_ERROR, "--size is for --render and --still (a window is scaled with --scale)");
        return 2;
    }
    bool video = !o.renderOut.empty() && o.renderOut.find('%') == std::string::npos;
    char err[256];
    if (!parseOutputSize(o.sizeText, video, &o.outWidth, &o.outHeight, err, sizeof err)) {
        logMessage(LOG_ERROR, "%s", err);
        return 2;
    }
    return -1;
}

// A pattern is 16 beats at the show's 180 beats per minute.
static const double patternSeconds = 16.0 * 60.0 / 180.0;

std::string sceneTableText()
{
    char line[200];
    std::snprintf(line, sizeof line,
                  "The show by pattern (16 beats, %.2f s each; every song time the options take is in patterns):\n",
                  patternSeconds);
    std::string text = line;
    for (int i = 0; i < timelineRowCount; i++) {
        const TimelineRow& row = timelineRows[i];
        char range[32];
        if (i + 1 < timelineRowCount)
            std::snprintf(range, sizeof range, "%g-%g", row.from, timelineRows[i + 1].from);
        else
            std::snprintf(range, sizeof range, "%g-end", row.from);
        std::snprintf(line, sizeof line, "  %-7s %-15s %s\n", range, row.scene, row.effects);
        text += line;
    }
    return text;
}

std::string songLengthText(int songMillis)
{
    if (songMillis < 0)
        return "";
    long tenths = std::lround(songMillis / 100.0);  // 59.96 s is 1:00.0, not 0:60.0
    char line[160];
    std::snprintf(line, sizeof line, "%.2f patterns (%ld:%02ld.%ld)", songMillis / 1000.0 / patternSeconds,
                  tenths / 600, tenths % 600 / 10, tenths % 10);
    return line;
}

// The song's length as the data folder a run would use holds it.
static std::string showSummary(const std::string& requestedData)
{
    std::string text = sceneTableText();
    std::string report;
    std::string folder = chooseDataFolder(requestedData, currentDataSearchInputs(), report);
    std::string length = folder.empty() ? "" : songLengthText(probeSongMillis((folder + "/tunemix.mp3").c_str()));
    if (!length.empty())
        text += "The song in " + folder + " lasts " + length + ".\n";
    return text;
}

static bool checkLimits(const CLI::App& app, Options& o, bool windowed, bool fullscreen)
{
    if (windowed && fullscreen) {
        logMessage(LOG_ERROR, "--windowed and --fullscreen: give one of them");
        return false;
    }
    if (o.scale < 1 || o.scale > 8) {
        logMessage(LOG_ERROR, "--scale %d: give a whole factor from 1 to 8", o.scale);
        return false;
    }
    o.crfGiven = app.count("--crf") > 0;
    bool video = !o.renderOut.empty() && o.renderOut.find('%') == std::string::npos;
    if (o.crfGiven && !video) {
        logMessage(LOG_ERROR, "--crf is for --render to a video (.mp4 or .mkv)");
        return false;
    }
    if (o.crf < 0 || o.crf > 51) {
        logMessage(LOG_ERROR, "--crf %d: give a quality from 0 (lossless) to 51 (smallest file)", o.crf);
        return false;
    }
    if (o.overwrite && o.renderOut.empty()) {
        logMessage(LOG_ERROR, "--overwrite is for --render (--still always replaces its --out)");
        return false;
    }
    return true;
}

int parseOptions(int argc, char** argv, Options& options)
{
    CLI::App app{"ZANT: a real-time audiovisual show", "zant"};
    app.footer("Keys: Esc quit, Space tick, PgUp/PgDn pattern back/on, Home start, Left/Right camera,\n"
               "  i overlay, b band meter, s screenshot, f depth still, t write ticks,\n"
               "  p pause, , and . frame back/on (< and > a beat), [ and ] loop start/end, l loop on/off,\n"
               "  r reload the data folder");
    app.set_version_flag("--version", std::string("zant ") + ZANT_VERSION);
    app.footer([&options]() { return showSummary(options.dataDir) + dataFolderSummary(currentDataSearchInputs()); });
    bool windowed = false, fullscreen = false;
    addDisplayOptions(app, options, windowed, fullscreen);
    addSoundOptions(app, options);
    addHeadlessOptions(app, options);
    std::string loop;
    addDevOptions(app, options, loop);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        logMessage(LOG_ERROR, "%s (zant --help lists the options)", e.what());
        return 2;
    }
    if (!checkLimits(app, options, windowed, fullscreen))
        return 2;
    if (windowed)
        options.fullscreenChoice = 0;
    if (fullscreen)
        options.fullscreenChoice = 1;
    if (!loop.empty() && !parseLoop(loop, options))
        return 2;
    if (options.stills.size() != options.outs.size()) {
        logMessage(LOG_ERROR, "every --still T needs its own --out FILE.png");
        return 2;
    }
    options.dataGiven = app.count("--data") > 0;
    options.freezeGiven = app.count("--freeze") > 0;
    options.toGiven = app.count("--to") > 0;
    if (checkSongTimes(options, INFINITY) != 0)
        return 2;
    return checkSize(options);
}

// NaN fails both comparisons, so it is refused with the rest.
static bool timeOutside(const char* name, double t, double songEnd)
{
    if (t >= 0.0 && t <= songEnd)
        return false;
    if (std::isinf(songEnd))
        logMessage(LOG_ERROR, "%s %g: not a song time; give patterns from 0 to the end of the song", name, t);
    else
        logMessage(LOG_ERROR, "%s %g: song times run from 0 to %.3f patterns, the end of the song", name, t, songEnd);
    return true;
}

int checkSongTimes(const Options& o, double songEnd)
{
    bool bad = timeOutside("--start", o.startPattern, songEnd);
    bad = (o.freezeGiven && timeOutside("--freeze", o.freezePattern, songEnd)) || bad;
    bad = timeOutside("--from", o.fromPattern, songEnd) || bad;
    bad = (o.toGiven && timeOutside("--to", o.toPattern, songEnd)) || bad;
    for (double t : o.stills)
        bad = timeOutside("--still", t, songEnd) || bad;
    return bad ? 2 : 0;
}
