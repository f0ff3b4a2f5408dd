#include "platform/web/page.h"

#include <emscripten.h>

EM_JS(double, jsSongFrame, (), { return Module.zantWeb.songFrame(); });
EM_JS(int, jsSongRate, (), { return Module.zantWeb.songRate(); });
EM_JS(int, jsSongEnded, (), { return Module.zantWeb.songEnded() ? 1 : 0; });
EM_JS(void, jsSetPaused, (int paused), { Module.zantWeb.setPaused(paused); });
EM_JS(void, jsSeekFrame, (double frame), { Module.zantWeb.seekFrame(frame); });
EM_JS(void, jsSetLoop, (int on, double start, double end), { Module.zantWeb.setLoop(on, start, end); });
EM_JS(void, jsStillDone, (), { Module.zantWeb.stillDone(); });
EM_JS(void, jsFinished, (), { Module.zantWeb.finished(); });

double pageSongFrame()
{
    return jsSongFrame();
}

int pageSongRate()
{
    return jsSongRate();
}

bool pageSongEnded()
{
    return jsSongEnded() != 0;
}

void pageSetPaused(bool paused)
{
    jsSetPaused(paused ? 1 : 0);
}

void pageSeekFrame(double frame)
{
    jsSeekFrame(frame);
}

void pageSetLoop(bool on, double startFrame, double endFrame)
{
    jsSetLoop(on ? 1 : 0, startFrame, endFrame);
}

void pageStillDone()
{
    jsStillDone();
}

void pageFinished()
{
    jsFinished();
}

// requestAnimationFrame; main returns right after (the runtime stays).
void runEveryFrame(void (*frame)())
{
    emscripten_set_main_loop(frame, 0, 0);
}

void stopEveryFrame()
{
    emscripten_cancel_main_loop();
}
