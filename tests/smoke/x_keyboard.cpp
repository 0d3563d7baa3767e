// What other programs do with the keyboard, for the held-notes script. Usage, with DISPLAY set:
//   x_keyboard grab SECONDS   grabs the keyboard as a window switcher or a game does, says
//                             "grabbed" and lets go after SECONDS
//   x_keyboard pointer-root   gives the focus to the window under the pointer (PointerRoot)
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char* argv[])
{
    const bool grab = argc == 3 && std::strcmp(argv[1], "grab") == 0;
    if (!grab && !(argc == 2 && std::strcmp(argv[1], "pointer-root") == 0)) {
        std::fprintf(stderr, "usage: %s grab SECONDS | pointer-root\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x_keyboard: cannot open display\n");
        return 1;
    }
    int status = 0;
    if (grab) {
        status = XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                               GrabModeAsync, CurrentTime);
        XSync(display, False);
        if (status == GrabSuccess) {
            std::puts("grabbed");
            std::fflush(stdout);
            sleep(unsigned(std::atoi(argv[2])));
            XUngrabKeyboard(display, CurrentTime);
        }
    } else {
        XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return status == GrabSuccess ? 0 : 1;
}
