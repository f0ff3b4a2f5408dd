// The page around the program (web/page.js, Module.zantWeb): the song the
// page plays and its clock in frames of the song's own rate, the still's and
// the show's end, and the browser's frame loop. Web build only.
#pragma once

double pageSongFrame();
int pageSongRate();
bool pageSongEnded();
void pageSetPaused(bool paused);
void pageSeekFrame(double frame);
void pageSetLoop(bool on, double startFrame, double endFrame);
// The still is on the canvas (the page sets its title to "done").
void pageStillDone();
// The show is over: the page stops the sound and offers a new start.
void pageFinished();
// Calls frame once per animation frame, from now on until stopEveryFrame.
void runEveryFrame(void (*frame)());
void stopEveryFrame();
