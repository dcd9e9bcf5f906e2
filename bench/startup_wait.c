/* Times one start of a program: from just before it is started until the X
   server maps a top-level window with the given name; prints milliseconds.
   The program is then ended, and the waiter returns once the window is gone.

     startup_wait NAME TIMEOUT-SECONDS OUT-FILE ERR-FILE PROGRAM [ARG...]

   Exit code 0 with the time printed; 1 when the program ended or the time
   ran out without that window; 2 on bad usage or no display. Event-driven:
   no polling, so the measurement costs nothing of its own. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

/* A window can go between the event and the question about it. */
static int IgnoreError(Display *display, XErrorEvent *error) {
    (void)display;
    (void)error;
    return 0;
}

static int HasName(Display *display, Window window, const char *name) {
    char *got = NULL;
    int same = 0;
    if (XFetchName(display, window, &got) && got) {
        same = strcmp(got, name) == 0;
        XFree(got);
    }
    return same;
}

/* Waits up to until (a Now() time) for the next event; 0 on time out. */
static int NextEvent(Display *display, XEvent *event, double until) {
    while (!XPending(display)) {
        double left = until - Now();
        if (left <= 0)
            return 0;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        struct timeval tv = {(time_t)left, (suseconds_t)((left - (time_t)left) * 1e6)};
        /* Wake at least every 50 ms to notice a program that ended. */
        if (left > 0.05) {
            tv.tv_sec = 0;
            tv.tv_usec = 50000;
        }
        if (select(ConnectionNumber(display) + 1, &fds, NULL, NULL, &tv) < 0 && errno != EINTR)
            return 0;
        if (!XPending(display))
            return -1; /* nothing yet: let the caller look at the program */
    }
    XNextEvent(display, event);
    return 1;
}

static void Redirect(int fd, const char *path) {
    int f = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (f >= 0) {
        dup2(f, fd);
        close(f);
    }
}

int main(int argc, char **argv) {
    if (argc < 6) {
        fprintf(stderr, "usage: startup_wait NAME TIMEOUT-SECONDS OUT-FILE ERR-FILE PROGRAM [ARG...]\n");
        return 2;
    }
    const char *name = argv[1];
    double timeout = atof(argv[2]);
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "startup_wait: no X display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreError);
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    double start = Now();
    pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        Redirect(1, argv[3]);
        Redirect(2, argv[4]);
        execvp(argv[5], argv + 5);
        _exit(127);
    }

    Window found = 0;
    double shown = 0;
    int status;
    while (!found) {
        XEvent event;
        int got = NextEvent(display, &event, start + timeout);
        if (got == 0)
            break;
        if (got > 0 && event.type == CreateNotify) {
            /* Follow its name too, in case it is named after it is mapped. */
            XSelectInput(display, event.xcreatewindow.window, PropertyChangeMask);
        } else if (got > 0 && event.type == MapNotify && HasName(display, event.xmap.window, name)) {
            shown = Now();
            found = event.xmap.window;
        } else if (got > 0 && event.type == PropertyNotify && event.xproperty.atom == XA_WM_NAME) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, event.xproperty.window, &attributes) &&
                attributes.map_state == IsViewable && HasName(display, event.xproperty.window, name)) {
                shown = Now();
                found = event.xproperty.window;
            }
        }
        if (!found && waitpid(child, &status, WNOHANG) == child) {
            fprintf(stderr, "startup_wait: %s ended without showing \"%s\"\n", argv[5], name);
            return 1;
        }
    }
    if (found) {
        printf("%.0f\n", (shown - start) * 1000);
        fflush(stdout);
    } else {
        fprintf(stderr, "startup_wait: no \"%s\" within %.0f s\n", name, timeout);
    }

    kill(child, SIGTERM);
    waitpid(child, &status, 0);
    /* The next run must not find this window still there. */
    double until = Now() + 10;
    while (found) {
        XEvent event;
        int got = NextEvent(display, &event, until);
        if (got == 0)
            break;
        if (got > 0 && ((event.type == UnmapNotify && event.xunmap.window == found) ||
                        (event.type == DestroyNotify && event.xdestroywindow.window == found)))
            break;
    }
    XCloseDisplay(display);
    return found ? 0 : 1;
}
