// The message queue: SDL's events in as messages, typed characters kept with their key-down
// until TranslateMessage, peeking, waiting, dispatching, posting, and the quit signals that
// close every window.

#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <initializer_list>

#include "platform/window/internal/window_internal.h"
#include "platform/window/quit_signals.h"
#include "platform/window/window.h"

namespace {

constexpr int kQueueCapacity = 512;
constexpr int kMaxTypedChars = 4;

struct QueuedMessage {
    MSG msg;
    WPARAM typed[kMaxTypedChars];  // characters the key-down typed, for TranslateMessage
    int typedCount;
};

// Oldest first. Removal shifts the tail: the queue is short-lived and small.
QueuedMessage Queue[kQueueCapacity];
int QueueCount = 0;

// The key-down PeekMessage removed last, until TranslateMessage turns its characters into
// WM_CHAR messages.
QueuedMessage LastKeyDown;
bool LastKeyDownPending = false;

bool QuitPending = false;
int QuitCode = 0;

// Messages SDL's events delivered straight to a procedure (focus, size, close): they end a
// WaitMessage as a queued message does.
unsigned SentFromEvents = 0;

// Quit signals counted by a handler that does nothing else, so that one after the first is
// acted on too; the queue takes each arrival once.
volatile std::sig_atomic_t Signalled = 0;
std::sig_atomic_t Delivered = 0;

extern "C" void OnQuitSignal(int) { Signalled = Signalled + 1; }

bool TakeQuitSignal()
{
    const std::sig_atomic_t arrived = Signalled;
    const bool taken = arrived != Delivered;
    Delivered = arrived;
    return taken;
}

// The live window SDL knows by this id, or null.
HWND FromSdlId(Uint32 sdlId)
{
    return window_internal::FindLive([sdlId](const PlatformWindow& w) { return sdlId != 0 && w.sdlId == sdlId; });
}

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool IsKeyMessage(UINT message) { return IsKeyDown(message) || message == WM_KEYUP || message == WM_SYSKEYUP; }

bool Append(const MSG& msg)
{
    if (QueueCount >= kQueueCapacity) {
        return false;
    }
    Queue[QueueCount++] = QueuedMessage{msg, {}, 0};
    return true;
}

void InsertFront(const MSG& msg)
{
    if (QueueCount >= kQueueCapacity) {
        --QueueCount;  // the newest gives way: translation output must not be lost
    }
    std::memmove(&Queue[1], &Queue[0], sizeof(QueuedMessage) * static_cast<size_t>(QueueCount));
    Queue[0] = QueuedMessage{msg, {}, 0};
    ++QueueCount;
}

bool AddTyped(QueuedMessage& entry, WPARAM character)
{
    if (entry.typedCount >= kMaxTypedChars) {
        return false;
    }
    entry.typed[entry.typedCount++] = character;
    return true;
}

// A typed character belongs to the key-down that produced it; only when there is none (an
// input method, say) does it arrive as a WM_CHAR of its own.
void QueueTypedCharacter(HWND window, WPARAM character, LPARAM lParam, DWORD time)
{
    // The window's newest key message, when it is a key-down still queued.
    int i = QueueCount - 1;
    while (i >= 0 && (Queue[i].msg.hwnd != window || !IsKeyMessage(Queue[i].msg.message))) {
        --i;
    }
    if (i >= 0 && IsKeyDown(Queue[i].msg.message) && AddTyped(Queue[i], character)) {
        return;
    }
    if (LastKeyDownPending && LastKeyDown.msg.hwnd == window && AddTyped(LastKeyDown, character)) {
        return;
    }
    Append(MSG{window, WM_CHAR, character, lParam, time});
}

void QueueTranslated(const TranslatedMessage& translated, DWORD time)
{
    // Input for a window that is not (or no longer) ours is dropped.
    HWND window = FromSdlId(translated.sdlWindowId);
    if (translated.sent) {
        ++SentFromEvents;
        if (translated.sdlWindowId == 0) {
            for (PlatformWindow& each : window_internal::Slots()) {
                window_internal::Send(&each, translated.message, translated.wParam, translated.lParam);
            }
            return;
        }
        if (translated.message == WM_SETFOCUS || translated.message == WM_KILLFOCUS) {
            window_internal::SetFocus(window, translated.message == WM_SETFOCUS);
        } else {
            window_internal::Send(window, translated.message, translated.wParam, translated.lParam);
        }
        return;
    }
    if (window == nullptr) {
        return;
    }
    if (translated.message == WM_CHAR) {
        QueueTypedCharacter(window, translated.wParam, translated.lParam, time);
        return;
    }
    // Win32 keeps only the newest of consecutive mouse moves.
    if (translated.message == WM_MOUSEMOVE && QueueCount > 0 && Queue[QueueCount - 1].msg.message == WM_MOUSEMOVE &&
        Queue[QueueCount - 1].msg.hwnd == window) {
        Queue[QueueCount - 1].msg = MSG{window, WM_MOUSEMOVE, translated.wParam, translated.lParam, time};
        return;
    }
    Append(MSG{window, translated.message, translated.wParam, translated.lParam, time});
}

void PumpSdlEvents()
{
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
        return;
    }
    SDL_PumpEvents();
    window_internal::CheckDisplay();
    SDL_Event event;
    TranslatedMessage translated[kMaxTranslatedMessages];
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        const int count = TranslateSdlEvent(event, translated, kMaxTranslatedMessages);
        for (int i = 0; i < count; ++i) {
            QueueTranslated(translated[i], event.common.timestamp);
        }
    }
}

}  // namespace

namespace window_internal {

void DropQueued(HWND window)
{
    const auto ofWindow = [window](const QueuedMessage& queued) { return queued.msg.hwnd == window; };
    QueueCount = static_cast<int>(std::remove_if(Queue, Queue + QueueCount, ofWindow) - Queue);
    LastKeyDownPending = LastKeyDownPending && !ofWindow(LastKeyDown);
}

}  // namespace window_internal

void InstallQuitSignals()
{
#if defined(_WIN32)
    // Windows raises these for Ctrl+C and Ctrl+Break in a console; closing or logging off
    // reaches SDL as a quit event instead.
    for (const int signal : {SIGTERM, SIGINT, SIGBREAK}) {
        std::signal(signal, OnQuitSignal);
    }
#else
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    // Restarted: a read the signal lands in simply goes on; the loop acts on the flag.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
#endif
}

BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (message == nullptr || window != nullptr || filterMin != 0 || filterMax != 0) {
        return FALSE;
    }
    PumpSdlEvents();
    if (TakeQuitSignal()) {
        // As SDL's own quit event, and the loop ends even where no window is left to close.
        QueueTranslated(TranslatedMessage{0, WM_CLOSE, 0, 0, true}, SDL_GetTicks());
        PostQuitMessage(0);
    }
    if (QueueCount > 0) {
        *message = Queue[0].msg;
        if ((removeFlags & PM_REMOVE) != 0) {
            if (IsKeyDown(Queue[0].msg.message)) {
                LastKeyDown = Queue[0];
                LastKeyDownPending = true;
            }
            --QueueCount;
            std::memmove(&Queue[0], &Queue[1], sizeof(QueuedMessage) * static_cast<size_t>(QueueCount));
        }
        return TRUE;
    }
    // WM_QUIT waits until nothing else is queued.
    if (QuitPending) {
        *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(QuitCode), 0, SDL_GetTicks()};
        QuitPending = (removeFlags & PM_REMOVE) == 0;
        return TRUE;
    }
    return FALSE;
}

BOOL WaitMessage()
{
#ifdef __EMSCRIPTEN__
    return TRUE;  // a page may not block; the browser itself stops a hidden page's frames
#endif
    MSG waiting;
    const unsigned sent = SentFromEvents;
    while (PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE) == FALSE && SentFromEvents == sent) {
        if (SDL_WasInit(SDL_INIT_EVENTS) == 0) {
            return FALSE;  // nothing could ever arrive
        }
        // Blocks in the display connection; the timeout only bounds a missed wake-up.
        SDL_WaitEventTimeout(nullptr, 250);
    }
    return TRUE;
}

BOOL TranslateMessage(const MSG* message)
{
    if (message == nullptr) {
        return FALSE;
    }
    const UINT kind = message->message;
    if (!IsKeyMessage(kind)) {
        return FALSE;
    }
    if (IsKeyDown(kind) && LastKeyDownPending && *message == LastKeyDown.msg) {
        LastKeyDownPending = false;
        const UINT charMessage = kind == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
        // Inserted in reverse so the characters come out in typing order, ahead of the rest.
        for (int i = LastKeyDown.typedCount - 1; i >= 0; --i) {
            InsertFront(MSG{message->hwnd, charMessage, LastKeyDown.typed[i], message->lParam, message->time});
        }
    }
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* message)
{
    return message != nullptr ? window_internal::Send(message->hwnd, message->message, message->wParam, message->lParam)
                              : 0;
}

void PostQuitMessage(int exitCode)
{
    QuitPending = true;
    QuitCode = exitCode;
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool addressable = window == nullptr || window_internal::IsLive(window);
    return addressable && Append(MSG{window, message, wParam, lParam, SDL_GetTicks()}) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return window_internal::Send(window, message, wParam, lParam);
}
