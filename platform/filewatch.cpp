#include "platform/filewatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// Whole events only: the kernel never splits one across reads, and a
// buffer this size holds at least one with the longest name.
struct FolderWatch {
    int fd = -1;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + 256)];
    int length = 0;
    int offset = 0;
};

FolderWatch* watchFolder(const char* path, char* err, int errSize)
{
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        std::snprintf(err, (size_t)errSize, "%s", std::strerror(errno));
        return nullptr;
    }
    if (inotify_add_watch(fd, path, IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        std::snprintf(err, (size_t)errSize, "%s", std::strerror(errno));
        close(fd);
        return nullptr;
    }
    FolderWatch* watch = new FolderWatch;
    watch->fd = fd;
    return watch;
}

void stopWatching(FolderWatch* watch)
{
    if (!watch)
        return;
    close(watch->fd);
    delete watch;
}

bool nextChangedFile(FolderWatch* watch, char* name, int nameSize)
{
    while (watch) {
        if (watch->offset >= watch->length) {
            ssize_t n = read(watch->fd, watch->buffer, sizeof watch->buffer);
            if (n <= 0)
                return false;
            watch->length = (int)n;
            watch->offset = 0;
        }
        const inotify_event* event = (const inotify_event*)(watch->buffer + watch->offset);
        watch->offset += (int)(sizeof(inotify_event) + event->len);
        if (event->len == 0 || (event->mask & IN_ISDIR))
            continue;
        std::snprintf(name, (size_t)nameSize, "%s", event->name);
        return true;
    }
    return false;
}
