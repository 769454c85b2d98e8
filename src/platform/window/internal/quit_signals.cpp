// SIGTERM, SIGINT and SIGHUP counted by a handler that does nothing else; the message queue
// takes each arrival once and closes the windows.

#include "platform/window/quit_signals.h"

#include <signal.h>

#include <csignal>
#include <initializer_list>

#include "platform/window/internal/window_internal.h"

namespace {

// Arrivals counted, so that a signal after the first is acted on too.
volatile std::sig_atomic_t Signalled = 0;
std::sig_atomic_t Delivered = 0;

extern "C" void OnQuitSignal(int) { Signalled = Signalled + 1; }

}  // namespace

void InstallQuitSignals()
{
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    // Restarted: a read the signal lands in simply goes on; the loop acts on the flag.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

namespace window_internal {

bool TakeQuitSignal()
{
    const std::sig_atomic_t arrived = Signalled;
    if (arrived == Delivered) {
        return false;
    }
    Delivered = arrived;
    return true;
}

}  // namespace window_internal
