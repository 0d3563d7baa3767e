#include "LibraryMessages.h"

#include <cstdarg> // alsa/error.h uses va_list
#include <alsa/error.h>
#include <jack/jack.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool g_shown = false; // read by the handlers, which ALSA and JACK may call on their own threads

void Show(const char* library, const char* text)
{
    if (g_shown)
        std::fprintf(stderr, "keyrill: %s: %s\n", library, text);
}

void AlsaMessage(const char* file, int line, const char* function, int err, const char* fmt, ...)
{
    if (!g_shown)
        return;
    char text[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    char full[768];
    std::snprintf(full, sizeof full, "%s:%d (%s) %s%s%s", file, line, function, text,
                  err != 0 ? ": " : "", err != 0 ? std::strerror(err < 0 ? -err : err) : "");
    Show("alsa", full);
}

void JackMessage(const char* text)
{
    Show("jack", text);
}

} // namespace

void RouteLibraryMessages()
{
    const char* debug = std::getenv(kDebugVariable);
    g_shown = debug && std::strcmp(debug, "1") == 0;
    snd_lib_error_set_handler(&AlsaMessage);
    jack_set_error_function(&JackMessage);
    jack_set_info_function(&JackMessage);
}
