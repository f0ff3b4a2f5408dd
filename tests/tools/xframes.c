/* Waits until a window's picture has changed COUNT times, so a script knows
   that frames were drawn after a key it sent. Two changes are the least that
   proves one whole frame began after the key: the first may come from a frame
   that was already being drawn. Gives up after a minute.
   Usage: xframes WINDOW_ID [COUNT] */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static int grabFailed = 0;

static int noteErrors(Display* d, XErrorEvent* e)
{
    (void)d;
    (void)e;
    grabFailed = 1;
    return 0;
}

/* FNV-1a over the window's pixels; 0 when the window can't be read. */
static uint64_t pictureHash(Display* d, Window w)
{
    XWindowAttributes a;
    grabFailed = 0;
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable)
        return 0;
    XImage* image = XGetImage(d, w, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
    XSync(d, False);
    if (!image || grabFailed)
        return 0;
    uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < image->height; y++) {
        const unsigned char* row = (const unsigned char*)image->data + (size_t)y * image->bytes_per_line;
        for (int x = 0; x < image->bytes_per_line; x++)
            hash = (hash ^ row[x]) * 1099511628211ull;
    }
    XDestroyImage(image);
    return hash ? hash : 1;
}

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: xframes WINDOW_ID [COUNT]\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xframes: no display\n");
        return 1;
    }
    XSetErrorHandler(noteErrors);
    Window w = (Window)strtoul(argv[1], NULL, 0);
    int wanted = argc == 3 ? atoi(argv[2]) : 2;
    int changes = 0;
    uint64_t last = pictureHash(d, w);
    double start = now();
    while (changes < wanted && now() - start < 60.0) {
        usleep(5000);
        uint64_t h = pictureHash(d, w);
        if (h != 0 && last != 0 && h != last)
            changes++;
        if (h != 0)
            last = h;
    }
    XCloseDisplay(d);
    if (changes < wanted) {
        fprintf(stderr, "xframes: the picture changed %d of %d times in a minute\n", changes, wanted);
        return 1;
    }
    return 0;
}
