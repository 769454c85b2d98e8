#include <SDL.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/window/window.h"
#include "platform/window/window_testing.h"
#include "shell/controller.h"

namespace {

// The controller set-up and polls against SDL virtual controllers, in a focused window.
class ControllerInput : public ::testing::Test {
protected:
    HWND window = nullptr;
    std::vector<SDL_Joystick*> pads;

    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = "Controller Input";
        RegisterClassExW(&windowClass);
        window =
            CreateWindowExW(0, "Controller Input", "", WS_OVERLAPPED, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWDEFAULT);
        Pump();
        GamePad.Reset();
    }

    void TearDown() override
    {
        GamePad.Reset();
        for (SDL_Joystick* pad : pads) {
            SDL_JoystickClose(pad);
        }
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) {
            if (SDL_JoystickIsVirtual(i)) {
                SDL_JoystickDetachVirtual(i);
            }
        }
        DestroyWindow(window);
        Pump();
        UnregisterClassW("Controller Input", nullptr);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    static void Pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }

    SDL_Joystick* Attach()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        SDL_Joystick* pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        EXPECT_NE(pad, nullptr) << SDL_GetError();
        pads.push_back(pad);
        return pad;
    }

    void Focus(bool gained)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = WindowEventId(window);
        event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        Pump();
    }

    void DetachAll()
    {
        for (SDL_Joystick* pad : pads) {
            SDL_JoystickClose(pad);
        }
        pads.clear();
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) {
            SDL_JoystickDetachVirtual(i);
        }
    }

    // Polls until `seen` holds; how many polls that took (-1: not in 100).
    template <typename Seen>
    static int PassesUntil(Seen seen)
    {
        for (int pass = 1; pass <= 100; ++pass) {
            PollController();
            if (seen()) {
                return pass;
            }
        }
        return -1;
    }
};

TEST_F(ControllerInput, WithoutAControllerSetUpSucceedsAndTheStateStaysZero)
{
    EXPECT_EQ(SetupController(window), S_OK);
    EXPECT_NE(GamePad.directInput, nullptr);
    EXPECT_EQ(GamePad.device, nullptr);
    for (int i = 0; i < 3; ++i) {
        PollController();
    }
    const DIJOYSTATE2 zero{};
    EXPECT_EQ(std::memcmp(&GamePad.state, &zero, sizeof zero), 0);
    EXPECT_TRUE(GamePad.present);
}

TEST_F(ControllerInput, OfTwoControllersTheFirstIsReadInTheGameRange)
{
    SDL_Joystick* first = Attach();
    SDL_Joystick* second = Attach();
    ASSERT_EQ(SetupController(window), S_OK);
    ASSERT_NE(GamePad.device, nullptr);
    SDL_JoystickSetVirtualAxis(first, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualAxis(first, SDL_CONTROLLER_AXIS_RIGHTY, 32767);
    SDL_JoystickSetVirtualButton(first, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(second, SDL_CONTROLLER_AXIS_LEFTY, 32767);
    SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);

    PollController();  // not yet acquired: acquires and reads nothing
    EXPECT_EQ(GamePad.state.lX, 0);
    PollController();
    EXPECT_EQ(GamePad.state.lX, -1000);
    EXPECT_EQ(GamePad.state.lRy, 1000);
    EXPECT_NE(GamePad.state.rgbButtons[4], 0);
    EXPECT_EQ(GamePad.state.lY, 0) << "the second controller is not read";
    EXPECT_EQ(GamePad.state.rgbButtons[0], 0);
}

TEST_F(ControllerInput, LosingTheFocusKeepsTheLastStateAndReacquiresOnReturn)
{
    SDL_Joystick* pad = Attach();
    ASSERT_EQ(SetupController(window), S_OK);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, -32768);
    PollController();
    PollController();
    ASSERT_EQ(GamePad.state.lY, -1000);

    Focus(false);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
    PollController();
    PollController();
    EXPECT_EQ(GamePad.state.lY, -1000) << "a failed poll re-acquires and reads nothing";
    EXPECT_NE(GamePad.device, nullptr) << "still plugged in: kept";
    EXPECT_TRUE(GamePad.present) << "only a failed state read after a good poll clears it";

    Focus(true);
    PollController();
    PollController();
    EXPECT_EQ(GamePad.state.lY, 0);
}

TEST_F(ControllerInput, AnUnpluggedControllerIsLetGoAndALaterOneIsTakenUp)
{
    SDL_Joystick* pad = Attach();
    ASSERT_EQ(SetupController(window), S_OK);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, -32768);
    PollController();
    PollController();
    ASSERT_EQ(GamePad.state.lY, -1000);
    EXPECT_STREQ(GamePad.name, "test pad");

    // Unplugged while pushed: the push must not go on steering.
    DetachAll();
    PollController();
    EXPECT_EQ(GamePad.device, nullptr);
    EXPECT_EQ(GamePad.state.lY, 0);
    EXPECT_STREQ(GamePad.name, "");

    SDL_Joystick* again = Attach();
    SDL_JoystickSetVirtualAxis(again, SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    const int passes = PassesUntil([] { return GamePad.state.lRx == 1000; });
    EXPECT_GE(passes, 1) << "read in the game's range";
    EXPECT_LE(passes, 3) << "looked for at once after the unplugging";
    EXPECT_TRUE(GamePad.present);
}

TEST_F(ControllerInput, AControllerPluggedInAfterStartUpIsTakenUpAndItsButtonZeroCounts)
{
    ASSERT_EQ(SetupController(window), S_OK);
    ASSERT_EQ(GamePad.device, nullptr);
    for (int i = 0; i < 40; ++i) {
        PollController();
    }
    GamePad.present = false;  // as after a failed read of an earlier device
    SDL_Joystick* pad = Attach();
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    const int passes = PassesUntil([] { return GamePad.state.rgbButtons[0] != 0; });
    EXPECT_GE(passes, 1);
    EXPECT_LE(passes, 32) << "looked for every thirtieth pass";
    EXPECT_TRUE(GamePad.present) << "a new device's button 0 counts";
}

}  // namespace
