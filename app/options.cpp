#include "app/options.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "app/outsize.h"

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
    app.add_option("--data", o.dataDir, "Folder with tunemix.mp3 and the pictures")->capture_default_str();
    app.add_option("--start", o.startPattern, "Start the show at pattern P")->check(CLI::NonNegativeNumber);
    app.add_option("--freeze", o.freezePattern,
                   "Hold the show at pattern P, silent, to study one moment (keys still seek)")
        ->check(CLI::NonNegativeNumber);
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
    app.add_option("--size", o.sizeText,
                   "Output size for --render and --still, e.g. 1920x1080: the show scaled up, kept 4:3 on black");
}

// A size is checked before any start-up work, so a typo costs nothing.
static int checkSize(Options& o)
{
    if (o.sizeText.empty())
        return -1;
    if (o.renderOut.empty() && o.stills.empty()) {
        std::fprintf(stderr, "zant: --size is for --render and --still (a window is scaled with --scale)\n");
        return 2;
    }
    bool video = !o.renderOut.empty() && o.renderOut.find('%') == std::string::npos;
    char err[256];
    if (!parseOutputSize(o.sizeText, video, &o.outWidth, &o.outHeight, err, sizeof err)) {
        std::fprintf(stderr, "zant: %s\n", err);
        return 2;
    }
    return -1;
}

int parseOptions(int argc, char** argv, Options& options)
{
    CLI::App app{"ZANT: a real-time audiovisual show", "zant"};
    app.set_version_flag("--version", std::string("zant ") + ZANT_VERSION);
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
    return checkSize(options);
}
