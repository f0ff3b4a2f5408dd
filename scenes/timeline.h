// The show's timeline: which scene and effects make the frame at a song time.
#pragma once

void runTimeline();
