#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "platform/input/dinput.h"
#include "platform/window/window.h"
#include "platform/window/window_testing.h"
#include "support/counting_allocator.h"

// Counts every C++ allocation in this test program (the counting allocator) and every
// allocation SDL makes, so a pass of the game's loop can be shown to allocate nothing.
namespace {
SDL_malloc_func RealMalloc = nullptr;
SDL_calloc_func RealCalloc = nullptr;
SDL_realloc_func RealRealloc = nullptr;
SDL_free_func RealFree = nullptr;

void* CountingMalloc(size_t size)
{
    counting_allocator::Add();
    return RealMalloc(size);
}
void* CountingCalloc(size_t count, size_t size)
{
    counting_allocator::Add();
    return RealCalloc(count, size);
}
void* CountingRealloc(void* memory, size_t size)
{
    counting_allocator::Add();
    return RealRealloc(memory, size);
}
void CountingFree(void* memory) { RealFree(memory); }
}  // namespace

namespace {

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL TakeFirst(const DIDEVICEINSTANCEW* instance, void* context)
{
    auto** out = static_cast<GUID**>(context);
    **out = instance->guidInstance;
    return DIENUM_STOP;
}

TEST(Allocation, LoopPassesAllocateNothing)
{
    if (RealMalloc == nullptr) {
        SDL_GetMemoryFunctions(&RealMalloc, &RealCalloc, &RealRealloc, &RealFree);
    }
    ASSERT_EQ(SDL_SetMemoryFunctions(CountingMalloc, CountingCalloc, CountingRealloc, CountingFree), 0);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.lpszClassName = "Allocation Test";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND window = CreateWindowExW(0, "Allocation Test", "Allocation Test", WS_OVERLAPPED | WS_SYSMENU, 0, 0, 640, 480,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWDEFAULT);

    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0);
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0);
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);

    IDirectInput8W* input = nullptr;
    ASSERT_EQ(DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, &input, nullptr),
              DI_OK);
    GUID instance{};
    GUID* target = &instance;
    ASSERT_EQ(input->EnumDevices(DI8DEVCLASS_GAMECTRL, TakeFirst, &target, DIEDFL_ATTACHEDONLY), DI_OK);
    IDirectInputDevice8W* device = nullptr;
    ASSERT_EQ(input->CreateDevice(instance, &device, nullptr), DI_OK);
    ASSERT_EQ(device->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    ASSERT_EQ(device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);

    // Input of every kind the loop maps, queued before counting starts.
    const Uint32 id = WindowEventId(window);
    MSG msg{};
    DIJOYSTATE2 state{};
    auto pass = [&]() {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (FAILED(device->Poll())) {
            device->Acquire();
        } else {
            device->GetDeviceState(sizeof state, &state);
        }
    };
    auto feed = [&](int i) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = id;
        event.motion.x = i;
        event.motion.y = -i;
        SDL_PushEvent(&event);
        event = SDL_Event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = id;
        event.key.keysym.sym = SDLK_a;
        event.key.keysym.scancode = SDL_SCANCODE_A;
        SDL_PushEvent(&event);
        event = SDL_Event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = id;
        event.text.text[0] = 'a';
        SDL_PushEvent(&event);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(i * 100));
        for (int j = 0; j < 4; ++j) {
            pass();
        }
    };
    // The first acquisition and SDL's first pumps and events may set themselves up.
    for (int i = 0; i < 10; ++i) {
        feed(i);
    }

    const long before = counting_allocator::Count();
    for (int i = 1; i <= 200; ++i) {
        feed(i);
    }
    const long during = counting_allocator::Count() - before;
    EXPECT_EQ(during, 0);
    EXPECT_NE(state.lX, 0);  // the passes did read the controller

    device->Release();
    input->Release();
    SDL_JoystickClose(pad);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    DestroyWindow(window);
    UnregisterClassW("Allocation Test", nullptr);
}

}  // namespace
