/* Times one start of a desktop program on the current X display: from starting it to its window
 * (a top-level window whose title holds TITLE) being mapped, and to that window being painted (at
 * least half of its middle row no longer black), and reads the program's resident memory at the
 * first paint and again SETTLE_MS later. Prints "map_ms paint_ms rss_paint_mb rss_settled_mb", or
 * "failed" when no painted window shows within 20 s; the program is ended either way.
 * Usage: FirstPaint TITLE COMMAND [ARG ...]   (SETTLE_MS in the environment, 2000 by default) */

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double NowMs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void SleepMs(int ms)
{
    struct timespec t = { ms / 1000, (ms % 1000) * 1000000L };
    nanosleep(&t, NULL);
}

static int IgnoreErrors(Display* display, XErrorEvent* error)
{
    (void)display;
    (void)error;
    return 0;  /* a window may go away while we look at it */
}

static long ResidentKb(pid_t pid)
{
    char path[64], line[256];
    long kb = -1;
    snprintf(path, sizeof(path), "/proc/%d/status", (int)pid);
    FILE* status = fopen(path, "r");
    if (!status)
        return -1;
    while (fgets(line, sizeof(line), status))
        if (sscanf(line, "VmRSS: %ld", &kb) == 1)
            break;
    fclose(status);
    return kb;
}

/* A mapped top-level window whose title holds `title`, or 0. */
static Window FindWindow(Display* display, const char* title)
{
    Window root, parent, *children = NULL, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        char* name = NULL;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        if (XFetchName(display, children[i], &name) && name) {
            if (strstr(name, title))
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

/* Whether at least half of the window's middle row is no longer black. */
static int IsPainted(Display* display, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.width < 2 || attributes.height < 2)
        return 0;
    XImage* row = XGetImage(display, window, 0, attributes.height / 2, attributes.width, 1, AllPlanes, ZPixmap);
    if (!row)
        return 0;
    int lit = 0;
    for (int x = 0; x < attributes.width; ++x)
        lit += (XGetPixel(row, x, 0) & 0xFFFFFF) != 0;
    XDestroyImage(row);
    return lit * 2 >= attributes.width;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s TITLE COMMAND [ARG ...]\n", argv[0]);
        return 2;
    }
    const char* settle = getenv("SETTLE_MS");
    const int settleMs = settle ? atoi(settle) : 2000;
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);

    const double start = NowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    double mapped = 0, painted = 0;
    Window window = 0;
    while (NowMs() - start < 20000 && waitpid(child, NULL, WNOHANG) == 0) {
        if (!window && (window = FindWindow(display, argv[1])) != 0)
            mapped = NowMs();
        if (window && IsPainted(display, window)) {
            painted = NowMs();
            break;
        }
        SleepMs(2);
    }
    long paintKb = -1, settledKb = -1;
    if (painted > 0) {
        paintKb = ResidentKb(child);
        SleepMs(settleMs);
        settledKb = ResidentKb(child);
    }
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    XCloseDisplay(display);
    if (painted <= 0 || paintKb < 0 || settledKb < 0) {
        printf("failed\n");
        return 1;
    }
    printf("%.0f %.0f %ld %ld\n", mapped - start, painted - start, paintKb / 1024, settledKb / 1024);
    return 0;
}
