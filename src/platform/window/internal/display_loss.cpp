// Noticing that the display connection went away: Xlib's I/O error handler on X11, the
// connection's error state on Wayland. Both libraries are SDL's, looked up in the process
// rather than linked, so the program depends on nothing new. The GL driver talks to the X
// server on a path of its own and may fault on a reply that never came (seen while SDL
// loads it): a fault while the local X server no longer answers counts as the loss too.

#include "platform/window/display_loss.h"

#include <cstddef>
#include <cstring>

#include "platform/window/internal/window_internal.h"

#if defined(__unix__) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
// Last: with X11 it brings Xlib's macros (None, Bool, Status...).
#include <SDL_syswm.h>
#define TARNWICK_WATCH_DISPLAY 1
#endif

namespace {

const char* LossLine = nullptr;

#if TARNWICK_WATCH_DISPLAY

[[noreturn]] void EndNow()
{
    if (LossLine != nullptr) {
        const ssize_t written = write(STDERR_FILENO, LossLine, std::strlen(LossLine));
        static_cast<void>(written);
    }
    _exit(1);
}

// The library as SDL loaded it, or null when SDL did not.
void* Symbol(const char* library, const char* name)
{
    void* loaded = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
    void* symbol = loaded != nullptr ? dlsym(loaded, name) : nullptr;
    if (loaded != nullptr) {
        dlclose(loaded);
    }
    return symbol;
}

// Xlib ends the process itself when this returns, after its own message; SDL installs no
// handler of its own.
int OnXConnectionLost(void*) { EndNow(); }

// The local X server's socket (DISPLAY ":N"), empty for any other display.
char XSocketPath[sizeof(sockaddr_un::sun_path)] = {};
struct sigaction PreviousSegv {};
struct sigaction PreviousBus {};

// Whether connecting to the server's socket fails, by its abstract name and by its path.
// Only calls that are safe in a signal handler.
bool XServerGone()
{
    for (const bool abstract : {true, false}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::size_t length = std::strlen(XSocketPath);
        std::memcpy(address.sun_path + (abstract ? 1 : 0), XSocketPath, length);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return false;
        }
        const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length + (abstract ? 1 : 0));
        const bool answered = connect(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0;
        close(fd);
        if (answered) {
            return false;
        }
    }
    return true;
}

extern "C" void OnFault(int signal, siginfo_t* info, void* context)
{
    if (XServerGone()) {
        EndNow();
    }
    // A fault of the program's own: whoever handled it before does, or it ends the program
    // as it would have, when the faulting instruction runs again.
    const struct sigaction& previous = signal == SIGSEGV ? PreviousSegv : PreviousBus;
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        sigaction(signal, &previous, nullptr);
    }
}

void WatchForFaults()
{
    const char* display = std::getenv("DISPLAY");
    if (XSocketPath[0] != '\0' || display == nullptr || display[0] != ':') {
        return;
    }
    std::snprintf(XSocketPath, sizeof XSocketPath, "/tmp/.X11-unix/X%d", std::atoi(display + 1));
    struct sigaction action {};
    action.sa_sigaction = OnFault;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO;
    sigaction(SIGSEGV, &action, &PreviousSegv);
    sigaction(SIGBUS, &action, &PreviousBus);
}

using WaylandGetError = int (*)(void*);
WaylandGetError GetWaylandError = nullptr;
void* Wayland = nullptr;

bool IsDriver(const char* name)
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, name) == 0;
}

#endif

}  // namespace

void EndOnDisplayLoss(const char* line) { LossLine = line; }

namespace window_internal {

void WatchDisplay()
{
#if TARNWICK_WATCH_DISPLAY
    // Xlib's handler is one for the process, harmless where no X connection is ever made.
    using SetHandler = void* (*)(int (*)(void*));
    if (auto set = reinterpret_cast<SetHandler>(Symbol("libX11.so.6", "XSetIOErrorHandler"))) {
        set(OnXConnectionLost);
    }
    // Only once SDL is on X11: a fault elsewhere, with DISPLAY naming a server long gone, is
    // the program's own.
    if (IsDriver("x11")) {
        WatchForFaults();
    } else if (IsDriver("wayland")) {
        GetWaylandError = reinterpret_cast<WaylandGetError>(Symbol("libwayland-client.so.0", "wl_display_get_error"));
    }
#endif
}

// SDL reads a lost Wayland connection as a request to quit; the connection's error tells
// the two apart.
void CheckDisplay()
{
#if TARNWICK_WATCH_DISPLAY && defined(SDL_VIDEO_DRIVER_WAYLAND)
    if (GetWaylandError == nullptr) {
        return;
    }
    if (Wayland == nullptr) {
        const HWND window = FindLive([](const PlatformWindow& each) { return each.sdl != nullptr; });
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (window == nullptr || !SDL_GetWindowWMInfo(window->sdl, &info) || info.subsystem != SDL_SYSWM_WAYLAND) {
            return;
        }
        Wayland = info.info.wl.display;
    }
    if (GetWaylandError(Wayland) != 0) {
        EndNow();
    }
#endif
}

}  // namespace window_internal
