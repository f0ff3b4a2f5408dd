// The one message channel: every message the program prints goes through
// logMessage ("zant: <text>" for errors, "zant: <level>: <text>" otherwise),
// and fatal errors end the run through the hook the platform installs.
#pragma once

enum LogLevel { LOG_INFO, LOG_WARNING, LOG_ERROR };

// Prints one line on stderr: "zant: " for LOG_ERROR, "zant: warning: " and
// "zant: info: " for the others. The message needs no newline.
void logMessage(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A progress report (no prefix). In place, as on a terminal, it rewrites
// one line and leaves it open; otherwise it is a line of its own, taking the
// place of an open one. A message logged while one is open starts below it.
void logProgress(bool inPlace, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Where the lines go instead of stderr (tests); null restores stderr.
void setLogSink(void (*sink)(LogLevel level, const char* line));

// Logs "zant: <message>", runs the installed hook (message box, display
// teardown) and exits with status 1.
[[noreturn]] void fatalError(const char* message);
// The hook runs once, before the exit; null removes it.
void setFatalErrorHook(void (*hook)(const char* message));
// Shorthand for logMessage(LOG_WARNING, ...): the show goes on.
void warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
