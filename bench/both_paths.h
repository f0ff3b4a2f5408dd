// Timing the desktop GL and the OpenGL ES layer side by side in one run: a
// child process starts the show on the OpenGL ES path and then, for each
// request, runs the same measurement as the parent does on the desktop path
// and sends back its figures. The two take turns, so neither runs while the
// other measures, and the machine's drift hits both alike.
#pragma once
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "app/headless.h"
#include "platform/window.h"

struct PathChild {
    pid_t pid = -1;
    int requests = -1, replies = -1;
};

// Measure(k) gives the figures of measurement k; the child stops on k < 0.
// Call before anything makes a GL context in this process.
static bool startEsChild(PathChild& child, const std::function<std::vector<double>(int)>& measure)
{
    int down[2], up[2];
    if (pipe(down) != 0 || pipe(up) != 0)
        return false;
    std::fflush(nullptr);
    child.pid = fork();
    if (child.pid < 0)
        return false;
    if (child.pid == 0) {
        close(down[1]);
        close(up[0]);
        glesRequested = true;
        bool ok = headlessStartup();
        int k;
        while (read(down[0], &k, sizeof k) == (ssize_t)sizeof k && k >= 0) {
            std::vector<double> figures = ok ? measure(k) : std::vector<double>();
            int n = (int)figures.size();
            if (write(up[1], &n, sizeof n) != (ssize_t)sizeof n ||
                write(up[1], figures.data(), sizeof(double) * n) != (ssize_t)(sizeof(double) * n))
                break;
        }
        _exit(0);
    }
    close(down[0]);
    close(up[1]);
    child.requests = down[1];
    child.replies = up[0];
    return true;
}

// The child's figures for measurement k; empty when it could not start.
static std::vector<double> askEsChild(const PathChild& child, int k)
{
    std::vector<double> figures;
    int n = 0;
    if (write(child.requests, &k, sizeof k) != (ssize_t)sizeof k || read(child.replies, &n, sizeof n) != (ssize_t)sizeof n)
        return figures;
    figures.resize((size_t)n);
    size_t want = sizeof(double) * (size_t)n, got = 0;
    while (got < want) {
        ssize_t r = read(child.replies, (char*)figures.data() + got, want - got);
        if (r <= 0)
            return {};
        got += (size_t)r;
    }
    return figures;
}

static void stopEsChild(PathChild& child)
{
    int stop = -1;
    if (write(child.requests, &stop, sizeof stop) != (ssize_t)sizeof stop) { }
    close(child.requests);
    close(child.replies);
    waitpid(child.pid, nullptr, 0);
}
