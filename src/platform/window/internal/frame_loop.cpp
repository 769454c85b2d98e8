// The loop's owner: the program on a desktop, the browser's animation frames in a page.

#include "platform/window/frame_loop.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

namespace {

struct Loop {
    bool (*pass)(void*) = nullptr;
    void (*finish)(void*) = nullptr;
    void* context = nullptr;
};
Loop Running;

void OneAnimationFrame()
{
    if (!Running.pass(Running.context)) {
        emscripten_cancel_main_loop();
        Running.finish(Running.context);
    }
}

}  // namespace

void RunPassLoop(bool (*pass)(void*), void (*finish)(void*), void* context)
{
    Running = {pass, finish, context};
    // 0: at the browser's animation frames; false: return, so the caller's stack unwinds.
    emscripten_set_main_loop(OneAnimationFrame, 0, false);
}

bool ProgramCanQuit() { return false; }

#else

void RunPassLoop(bool (*pass)(void*), void (*finish)(void*), void* context)
{
    while (pass(context)) {
    }
    finish(context);
}

bool ProgramCanQuit() { return true; }

#endif
