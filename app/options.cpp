#include "app/options.h"
#include "core/datadirs.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>

static void addDisplayOptions(CLI::App& app, Options& o, bool& windowed, bool& fullscreen)
{
    auto* w = app.add_flag("--windowed", windowed, "Run in a 640x480 window (skip the question)");
    auto* f = app.add_flag("--fullscreen", fullscreen, "Switch the display to 640x480 (skip the question)");
    w->excludes(f);
    app.add_flag("--fullscreen-desktop", o.fullscreenDesktop,
                 "Fullscreen at the desktop's resolution, picture kept 4:3");
    app.add_option("--scale", o.scale, "Window scale factor (2 gives 1280x960)")->check(CLI::Range(1, 8));
    app.add_flag_callback("--no-vsync", [&o]() { o.vsync = false; }, "Don't wait for the vertical blank");
}

static void addSoundOptions(CLI::App& app, Options& o)
{
    app.add_flag("--nosound", o.nosound, "Open no audio device; the song plays silently on the clock");
    app.add_option("--audio-offset", o.audioOffsetMs,
                   "Milliseconds the picture runs behind the sound (for laggy outputs)");
    app.add_option("--data", o.dataDir, "Folder with tunemix.mp3 and the pictures (default: searched, see below)");
    app.add_option("--start", o.startPattern, "Start the show at pattern P");
    app.add_option("--freeze", o.freezePattern,
                   "Hold the show at pattern P, silent, to study one moment (keys still seek)");
}

static void addHeadlessOptions(CLI::App& app, Options& o)
{
    app.add_option("--still", o.stills, "Render the frame at song time T (patterns) headless; repeatable")
        ->allow_extra_args(false)->take_all();
    app.add_option("--out", o.outs, "PNG file for the matching --still; repeatable")
        ->allow_extra_args(false)->take_all();
    app.add_option("--render", o.renderOut, "Render the show headless to a video (.mp4/.mkv) or PNG pattern");
    app.add_option("--fps", o.fps, "Frames per second for --render")->capture_default_str();
    app.add_option("--from", o.fromPattern, "First pattern for --render");
    app.add_option("--to", o.toPattern, "Last pattern for --render (default: end of song)");
}

int parseOptions(int argc, char** argv, Options& options)
{
    CLI::App app{"ZANT: a real-time audiovisual show", "zant"};
    app.set_version_flag("--version", std::string("zant ") + ZANT_VERSION);
    app.footer([]() { return dataFolderSummary(); });
    bool windowed = false, fullscreen = false;
    addDisplayOptions(app, options, windowed, fullscreen);
    addSoundOptions(app, options);
    addHeadlessOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    if (windowed)
        options.fullscreenChoice = 0;
    if (fullscreen)
        options.fullscreenChoice = 1;
    if (options.stills.size() != options.outs.size()) {
        std::fprintf(stderr, "zant: every --still T needs its own --out FILE.png\n");
        return 2;
    }
    options.dataGiven = app.count("--data") > 0;
    options.freezeGiven = app.count("--freeze") > 0;
    options.toGiven = app.count("--to") > 0;
    return checkSongTimes(options, INFINITY) == 0 ? -1 : 2;
}

// NaN fails both comparisons, so it is refused with the rest.
static bool timeOutside(const char* name, double t, double songEnd)
{
    if (t >= 0.0 && t <= songEnd)
        return false;
    if (std::isinf(songEnd))
        std::fprintf(stderr, "zant: %s %g: not a song time; give patterns from 0 to the end of the song\n", name, t);
    else
        std::fprintf(stderr, "zant: %s %g: song times run from 0 to %.3f patterns, the end of the song\n", name, t,
                     songEnd);
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
