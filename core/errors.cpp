#include "core/errors.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

static void (*fatalHook)(const char*) = nullptr;
static void (*logSink)(LogLevel, const char*) = nullptr;
static std::atomic<bool> progressOpen{false};  // a progress line waits for its end

static const char* levelPrefix(LogLevel level)
{
    switch (level) {
    case LOG_INFO: return "zant: info: ";
    case LOG_WARNING: return "zant: warning: ";
    default: return "zant: ";
    }
}

static void logLine(LogLevel level, const char* format, va_list args)
{
    char text[2048];
    std::vsnprintf(text, sizeof text, format, args);
    if (logSink) {
        logSink(level, text);
        return;
    }
    std::fprintf(stderr, "%s%s%s\n", progressOpen.exchange(false) ? "\n" : "", levelPrefix(level), text);
    std::fflush(stderr);
}

void logProgress(bool inPlace, const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (logSink)
        return;
    bool open = progressOpen.exchange(inPlace);
    if (inPlace)
        std::fprintf(stderr, "\r%s   ", text);
    else
        std::fprintf(stderr, "%s%s\n", open ? "\r" : "", text);
    std::fflush(stderr);
}

void logMessage(LogLevel level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    logLine(level, format, args);
    va_end(args);
}

void setLogSink(void (*sink)(LogLevel level, const char* line))
{
    logSink = sink;
}

void setFatalErrorHook(void (*hook)(const char* message))
{
    fatalHook = hook;
}

void fatalError(const char* message)
{
    logMessage(LOG_ERROR, "%s", message);
    // A fatal error inside the hook must not loop back into it.
    void (*hook)(const char*) = fatalHook;
    fatalHook = nullptr;
    if (hook)
        hook(message);
    // A failure must not look like success to whoever started us.
    std::exit(1);
}

void warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    logLine(LOG_WARNING, format, args);
    va_end(args);
}
