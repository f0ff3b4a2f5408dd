// The operating system's services a page has not got: folder watching,
// child processes, signals, the user's folders. Each says so and does nothing.
#include <cstdio>

#include "platform/filewatch.h"
#include "platform/process.h"
#include "platform/signals.h"
#include "platform/userpaths.h"

FolderWatch* watchFolder(const char*, char* err, int errSize)
{
    std::snprintf(err, errSize, "watching files is not available here");
    return nullptr;
}

void stopWatching(FolderWatch*) {}

bool nextChangedFile(FolderWatch*, char*, int)
{
    return false;
}

bool programOnPath(const char*)
{
    return false;
}

bool startPipedProgram(const std::vector<std::string>&, size_t, PipedProgram*, std::string& why)
{
    why = "starting programs is not available here";
    return false;
}

bool writeToProgram(PipedProgram&, const uint8_t*, size_t)
{
    return false;
}

bool finishProgram(PipedProgram&)
{
    return false;
}

void reportFailedWritesAsErrors() {}

void catchInterrupts() {}

bool interruptRequested()
{
    return false;
}

void leaveInterruptsToOtherThreads() {}

std::string userHome()
{
    return std::string();
}

std::string executablePath()
{
    return std::string();
}

std::string environmentValue(const char*)
{
    return std::string();
}
