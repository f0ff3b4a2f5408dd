#include "app/devlog.h"

#include <cstdlib>

static int readFlag(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value && *value != '0';
}

bool logSeeks()
{
    static int enabled = readFlag("ZANT_LOG_SEEKS");
    return enabled;
}

bool logClock()
{
    static int enabled = readFlag("ZANT_LOG_CLOCK");
    return enabled;
}
