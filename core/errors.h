// Fatal errors and warnings. The platform installs how a fatal error is
// shown and what is torn down, so this module needs nothing below it.
#pragma once

// Prints "zant: <message>" on stderr, runs the installed hook (message box,
// display teardown) and exits with status 1.
[[noreturn]] void fatalError(const char* message);
// The hook runs once, before the exit; null removes it.
void setFatalErrorHook(void (*hook)(const char* message));
// "zant: <formatted>" on stderr; the show goes on.
void warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
