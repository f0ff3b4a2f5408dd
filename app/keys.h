// The window's event handler: quit, seeking, ticks, overlay and screenshots,
// pause and frame steps, loops, reloading the data and the band meter.
#pragma once

struct Event;

// Acts on key-downs (auto-repeats too) and typed characters. The quit event
// itself is counted by the frame loop.
void windowProc(const Event& event);
