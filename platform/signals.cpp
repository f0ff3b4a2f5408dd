#include "platform/signals.h"

#include <pthread.h>
#include <signal.h>

static volatile sig_atomic_t interrupted = 0;

static void onInterrupt(int)
{
    interrupted = 1;
}

void reportFailedWritesAsErrors()
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
}

void catchInterrupts()
{
    signal(SIGINT, onInterrupt);
    signal(SIGTERM, onInterrupt);
}

bool interruptRequested()
{
    return interrupted != 0;
}

void leaveInterruptsToOtherThreads()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}
