// What the GL context can do (colour depth, the clamp wrap mode), the
// per-frame GL error check, and the black frames shown while loading.
#pragma once

extern int clampmode;  // wrap used for clamping: GL_CLAMP or GL_CLAMP_TO_EDGE

// Fatal when the context has fewer than 24 colour bits; sets clampmode.
void checkGlCapabilities();
// The wrap mode for a GL_VERSION string: CLAMP_TO_EDGE from 1.2 on.
int clampModeForVersion(const char* version);
// Fatal on any pending GL error, naming it.
void checkGlError();
// The pending GL error (0 when none); only one is fetched per call.
unsigned int takeGlError();
// Fatal, naming the error, when error is not 0.
void failOnGlError(unsigned int error);
const char* glErrorName(unsigned int error);

// A cleared, swapped frame after each texture made at start-up (none once
// the music plays). The start-up runs the capability check right after the
// first one (app/startup.h).
void presentLoadingFrame();
// Loading-frame calls so far.
extern int loadingFrameCalls;
