/* Writes a window's picture (or the whole screen's, with "root") as a binary
   PPM, for scripts that look at what the program put on screen.
   Usage: xshot WINDOW_ID|root OUT.ppm */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: xshot WINDOW_ID|root OUT.ppm\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xshot: no display\n");
        return 1;
    }
    Window w = strcmp(argv[1], "root") == 0 ? DefaultRootWindow(d) : (Window)strtoul(argv[1], NULL, 0);
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a)) {
        fprintf(stderr, "xshot: no window %s\n", argv[1]);
        return 1;
    }
    XImage* image = XGetImage(d, w, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
    FILE* f = fopen(argv[2], "wb");
    if (!image || !f) {
        fprintf(stderr, "xshot: cannot read the window or write %s\n", argv[2]);
        return 1;
    }
    fprintf(f, "P6\n%d %d\n255\n", a.width, a.height);
    for (int y = 0; y < a.height; y++) {
        for (int x = 0; x < a.width; x++) {
            unsigned long p = XGetPixel(image, x, y);
            unsigned char rgb[3] = {(unsigned char)((p & image->red_mask) >> 16),
                                    (unsigned char)((p & image->green_mask) >> 8), (unsigned char)(p & image->blue_mask)};
            fwrite(rgb, 1, 3, f);
        }
    }
    fclose(f);
    XDestroyImage(image);
    XCloseDisplay(d);
    return 0;
}
