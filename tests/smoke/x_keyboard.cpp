// What other programs do with the keyboard, for held_notes.sh: "x_keyboard grab SECONDS" holds it
// as a window switcher or a game does (saying "grabbed" first); "x_keyboard pointer-root" gives it
// to the window under the pointer.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char* argv[])
{
    Display* display = argc >= 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2;
    if (std::strcmp(argv[1], "pointer-root") == 0) {
        XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    } else if (argc == 3 && XGrabKeyboard(display, DefaultRootWindow(display), False, GrabModeAsync,
                                          GrabModeAsync, CurrentTime) == GrabSuccess) {
        XSync(display, False);
        std::puts("grabbed");
        std::fflush(stdout);
        sleep(unsigned(std::atoi(argv[2])));
    } else {
        return 1;
    }
    XCloseDisplay(display); // the grab ends with the connection
    return 0;
}
