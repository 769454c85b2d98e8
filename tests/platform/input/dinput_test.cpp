#include "platform/input/dinput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "platform/input/internal/dinput_mapping.h"
#include "platform/window/window.h"
#include "platform/window/window_testing.h"
#include "support/temp_folder.h"

namespace {

// --- The mapping alone ----------------------------------------------------------------------

constexpr AxisRange kGameRange{-1000, 1000};

TEST(ControllerMapping, RecordHasTheJoystick2Layout)
{
    EXPECT_EQ(sizeof(DIJOYSTATE2), 272u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, lX), 0u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, lY), 4u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, lRx), 12u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, lRy), 16u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, rglSlider), 24u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, rgdwPOV), 32u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, rgbButtons), 48u);
    EXPECT_EQ(offsetof(DIJOYSTATE2, rglMotion), 176u);
    EXPECT_EQ(c_dfDIJoystick2.dwDataSize, 272u);
}

TEST(ControllerMapping, SticksScaleLinearlyWithoutDeadZone)
{
    EXPECT_EQ(ScaleStickAxis(-32768, kGameRange), -1000);
    EXPECT_EQ(ScaleStickAxis(32767, kGameRange), 1000);
    EXPECT_EQ(ScaleStickAxis(0, kGameRange), 0);
    EXPECT_EQ(ScaleStickAxis(-1, kGameRange), 0);
    EXPECT_EQ(ScaleStickAxis(16384, kGameRange), 500);
    EXPECT_EQ(ScaleStickAxis(-16384, kGameRange), -500);
    EXPECT_EQ(ScaleStickAxis(66, kGameRange), 2);  // small deflections are not swallowed
    EXPECT_EQ(ScaleStickAxis(-32768, kDefaultAxisRange), 0);
    EXPECT_EQ(ScaleStickAxis(32767, kDefaultAxisRange), 65535);
    EXPECT_EQ(ScaleStickAxis(0, kDefaultAxisRange), 32768);
    EXPECT_EQ(ScaleTriggerAxis(0, kGameRange), -1000);
    EXPECT_EQ(ScaleTriggerAxis(32767, kGameRange), 1000);
    EXPECT_EQ(ScaleTriggerAxis(-5, kGameRange), -1000);
}

TEST(ControllerMapping, StandardLayoutLandsInItsFields)
{
    RawControllerState raw{};
    raw.axes[SDL_CONTROLLER_AXIS_LEFTX] = -32768;
    raw.axes[SDL_CONTROLLER_AXIS_LEFTY] = 32767;  // pushed down
    raw.axes[SDL_CONTROLLER_AXIS_RIGHTX] = 32767;
    raw.axes[SDL_CONTROLLER_AXIS_RIGHTY] = -32768;
    raw.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT] = 32767;
    raw.buttons[SDL_CONTROLLER_BUTTON_A] = 1;
    raw.buttons[SDL_CONTROLLER_BUTTON_LEFTSHOULDER] = 1;
    raw.buttons[SDL_CONTROLLER_BUTTON_START] = 1;
    raw.buttons[SDL_CONTROLLER_BUTTON_RIGHTSTICK] = 1;
    raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] = 1;
    raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT] = 1;
    AxisRange ranges[kAxisCount];
    for (AxisRange& r : ranges) r = kGameRange;
    DIJOYSTATE2 state;
    std::memset(&state, 0x5A, sizeof state);
    MapControllerState(raw, ranges, &state);

    EXPECT_EQ(state.lX, -1000);
    EXPECT_EQ(state.lY, 1000);
    EXPECT_EQ(state.lRx, 1000);
    EXPECT_EQ(state.lRy, -1000);
    EXPECT_EQ(state.lZ, -1000);
    EXPECT_EQ(state.lRz, 1000);
    EXPECT_EQ(state.rgdwPOV[0], 4500u);
    EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFFu);
    const int down[] = {0, 4, 7, 9};
    for (int i = 0; i < 128; ++i) {
        const bool expected = i == down[0] || i == down[1] || i == down[2] || i == down[3];
        EXPECT_EQ(state.rgbButtons[i], expected ? 0x80 : 0x00) << "button " << i;
    }
    EXPECT_EQ(state.rglMotion[0], 0);  // the rest is cleared, not left over
    EXPECT_EQ(state.rglMotion[23], 0);

    raw = RawControllerState{};
    raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_LEFT] = 1;
    MapControllerState(raw, ranges, &state);
    EXPECT_EQ(state.rgdwPOV[0], 27000u);
    EXPECT_EQ(state.lX, 0);

    // Opposite directions cancel, and a centred pad is no angle at all.
    struct Pad {
        bool up, right, down, left;
        DWORD pov;
    };
    const Pad pads[] = {{false, false, false, false, 0xFFFFFFFFu}, {true, false, true, false, 0xFFFFFFFFu},
                        {true, true, true, true, 0xFFFFFFFFu},     {false, false, true, true, 22500u},
                        {true, true, true, false, 9000u},          {false, false, true, false, 18000u}};
    for (const Pad& pad : pads) {
        raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] = pad.up;
        raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT] = pad.right;
        raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_DOWN] = pad.down;
        raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_LEFT] = pad.left;
        MapControllerState(raw, ranges, &state);
        EXPECT_EQ(state.rgdwPOV[0], pad.pov) << pad.up << pad.right << pad.down << pad.left;
    }

    EXPECT_EQ(ControllerButtonAt(1), SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(ControllerButtonAt(2), SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(ControllerButtonAt(3), SDL_CONTROLLER_BUTTON_Y);
    EXPECT_EQ(ControllerButtonAt(5), SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    EXPECT_EQ(ControllerButtonAt(6), SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(ControllerButtonAt(8), SDL_CONTROLLER_BUTTON_LEFTSTICK);
    EXPECT_EQ(ControllerButtonAt(kControllerButtonCount), SDL_CONTROLLER_BUTTON_INVALID);
}

// --- Through SDL's virtual controllers --------------------------------------------------------

LRESULT PassThrough(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

struct Seen {
    std::vector<DIDEVICEINSTANCEW> devices;
    int stopAfter = -1;
};

BOOL CollectDevice(const DIDEVICEINSTANCEW* instance, void* context)
{
    auto* seen = static_cast<Seen*>(context);
    seen->devices.push_back(*instance);
    return static_cast<int>(seen->devices.size()) == seen->stopAfter ? DIENUM_STOP : DIENUM_CONTINUE;
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PassThrough;
        wc.lpszClassName = "Controller Test";
        ASSERT_NE(RegisterClassExW(&wc), 0);
        window_ = CreateWindowExW(0, "Controller Test", "Controller Test", WS_OVERLAPPED | WS_SYSMENU, 0, 0, 640, 480,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        ShowWindow(window_, SW_SHOWDEFAULT);
        ASSERT_EQ(
            DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, &input_, nullptr),
            DI_OK);
        ASSERT_NE(input_, nullptr);
    }
    void TearDown() override
    {
        if (device_ != nullptr) {
            device_->Release();
        }
        if (input_ != nullptr) {
            input_->Release();
        }
        for (SDL_Joystick* joystick : joysticks_) {
            SDL_JoystickClose(joystick);
        }
        while (SDL_NumJoysticks() > 0 && DetachLastVirtual()) {
        }
        DestroyWindow(window_);
        UnregisterClassW("Controller Test", nullptr);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    static bool DetachLastVirtual()
    {
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) {
            if (SDL_JoystickIsVirtual(i)) {
                return SDL_JoystickDetachVirtual(i) == 0;
            }
        }
        return false;
    }

    // A virtual pad in SDL's standard controller layout; returns its opened joystick so the
    // test can move its sticks and press its buttons.
    SDL_Joystick* AttachPad(const char* name)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = name;
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        EXPECT_NE(joystick, nullptr) << SDL_GetError();
        if (joystick != nullptr) {
            joysticks_.push_back(joystick);
        }
        return joystick;
    }

    std::vector<DIDEVICEINSTANCEW> Enumerate(int stopAfter = -1)
    {
        Seen seen;
        seen.stopAfter = stopAfter;
        EXPECT_EQ(input_->EnumDevices(DI8DEVCLASS_GAMECTRL, CollectDevice, &seen, DIEDFL_ATTACHEDONLY), DI_OK);
        return seen.devices;
    }

    // The game's set-up: the first controller that can be created, joystick-2 format,
    // exclusive foreground, every axis to -1000..1000.
    void SetUpFirstController()
    {
        const std::vector<DIDEVICEINSTANCEW> found = Enumerate(1);
        ASSERT_EQ(found.size(), 1u);
        ASSERT_EQ(input_->CreateDevice(found[0].guidInstance, &device_, nullptr), DI_OK);
        ASSERT_EQ(device_->SetDataFormat(&c_dfDIJoystick2), DI_OK);
        ASSERT_EQ(device_->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        ASSERT_EQ(device_->EnumObjects(SetGameRange, device_, DIDFT_ALL), DI_OK);
    }

    static BOOL SetGameRange(const DIDEVICEOBJECTINSTANCEW* object, void* context)
    {
        if ((object->dwType & DIDFT_AXIS) == 0) {
            return DIENUM_CONTINUE;
        }
        DIPROPRANGE range{};
        range.diph.dwSize = sizeof(DIPROPRANGE);
        range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
        range.diph.dwObj = object->dwType;
        range.diph.dwHow = DIPH_BYID;
        range.lMin = -1000;
        range.lMax = 1000;
        return FAILED(static_cast<IDirectInputDevice8W*>(context)->SetProperty(DIPROP_RANGE, &range.diph))
                   ? DIENUM_STOP
                   : DIENUM_CONTINUE;
    }

    void PushFocus(bool gained)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = WindowEventId(window_);
        event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }

    IDirectInput8W* input_ = nullptr;
    IDirectInputDevice8W* device_ = nullptr;
    HWND window_ = nullptr;
    std::vector<SDL_Joystick*> joysticks_;
};

TEST(DirectInputCreate, RefusesOtherVersionsInterfacesAndMissingArguments)
{
    auto* out = reinterpret_cast<IDirectInput8W*>(1);
    HINSTANCE module = GetModuleHandleW(nullptr);
    EXPECT_EQ(DirectInput8Create(module, 0x0700, IID_IDirectInput8W, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(DirectInput8Create(module, 0x0900, IID_IDirectInput8W, &out, nullptr), DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(module, DIRECTINPUT_VERSION, GUID_NULL, &out, nullptr), DIERR_NOINTERFACE);
    EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8W, &out, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(DirectInput8Create(module, DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                 static_cast<IDirectInput8W**>(nullptr), nullptr),
              DIERR_INVALIDPARAM);
    int outer = 0;
    EXPECT_EQ(DirectInput8Create(module, DIRECTINPUT_VERSION, IID_IDirectInput8W, &out, &outer), DIERR_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(DirectInput8Create(module, DIRECTINPUT_VERSION, IID_IDirectInput8W, &out, nullptr), DI_OK);
    IDirectInput8W* input = out;
    EXPECT_EQ(input->AddRef(), 2u);
    EXPECT_EQ(input->Release(), 1u);
    EXPECT_EQ(input->Release(), 0u);
}

TEST_F(ControllerTest, EnumerationListsAttachedPadsAndStopsWhenAsked)
{
    const size_t before = Enumerate().size();
    AttachPad("Pad One");
    AttachPad("Pad Two");
    const std::vector<DIDEVICEINSTANCEW> all = Enumerate();
    ASSERT_EQ(all.size(), before + 2);
    EXPECT_STREQ(all[before].tszProductName, "Pad One");
    EXPECT_STREQ(all[before + 1].tszProductName, "Pad Two");
    EXPECT_FALSE(all[before].guidInstance == all[before + 1].guidInstance);
    EXPECT_EQ(all[before].dwSize, sizeof(DIDEVICEINSTANCEW));

    EXPECT_EQ(Enumerate(1).size(), 1u);

    // Only attached game controllers are offered.
    Seen seen;
    EXPECT_EQ(input_->EnumDevices(DI8DEVCLASS_GAMECTRL, nullptr, nullptr, DIEDFL_ATTACHEDONLY), DIERR_INVALIDPARAM);
    EXPECT_EQ(input_->EnumDevices(3, CollectDevice, &seen, DIEDFL_ATTACHEDONLY), DIERR_INVALIDPARAM);
    EXPECT_EQ(input_->EnumDevices(DI8DEVCLASS_GAMECTRL, CollectDevice, &seen, 0), DIERR_INVALIDPARAM);
    EXPECT_TRUE(seen.devices.empty());
}

TEST_F(ControllerTest, CreateDeviceNeedsAnAttachedInstance)
{
    AttachPad("Pad");
    const std::vector<DIDEVICEINSTANCEW> found = Enumerate();
    ASSERT_FALSE(found.empty());
    const GUID instance = found.back().guidInstance;
    int outer = 0;
    IDirectInputDevice8W* device = nullptr;
    EXPECT_EQ(input_->CreateDevice(instance, nullptr, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(input_->CreateDevice(instance, &device, &outer), DIERR_NOAGGREGATION);
    EXPECT_EQ(input_->CreateDevice(GUID_NULL, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
    GUID other = instance;
    other.Data1 += 1000;
    EXPECT_EQ(input_->CreateDevice(other, &device, nullptr), DIERR_DEVICENOTREG);

    ASSERT_EQ(input_->CreateDevice(instance, &device, nullptr), DI_OK);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Release(), 0u);

    // Once unplugged, its instance no longer names a device.
    ASSERT_TRUE(DetachLastVirtual());
    EXPECT_EQ(input_->CreateDevice(instance, &device, nullptr), DIERR_DEVICENOTREG);
}

TEST_F(ControllerTest, SetUpStepsCheckTheirArguments)
{
    AttachPad("Pad");
    ASSERT_EQ(input_->CreateDevice(Enumerate().back().guidInstance, &device_, nullptr), DI_OK);

    DIDATAFORMAT other = c_dfDIJoystick2;
    EXPECT_EQ(device_->SetDataFormat(&other), DIERR_INVALIDPARAM);
    EXPECT_EQ(device_->SetDataFormat(nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(device_->Acquire(), DIERR_INVALIDPARAM);  // no format yet
    EXPECT_EQ(device_->SetDataFormat(&c_dfDIJoystick2), DI_OK);

    EXPECT_EQ(device_->SetCooperativeLevel(window_, DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(device_->SetCooperativeLevel(window_, DISCL_EXCLUSIVE), DIERR_INVALIDPARAM);
    EXPECT_EQ(device_->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_FOREGROUND), E_HANDLE);
    EXPECT_EQ(device_->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);

    auto collect = [](const DIDEVICEOBJECTINSTANCEW* object, void* context) -> BOOL {
        static_cast<std::vector<DWORD>*>(context)->push_back(object->dwType);
        return DIENUM_CONTINUE;
    };
    std::vector<DWORD> everything;
    EXPECT_EQ(device_->EnumObjects(collect, &everything, DIDFT_ALL), DI_OK);
    ASSERT_EQ(everything.size(), 6u + 1u + static_cast<size_t>(kControllerButtonCount));
    // The six axes come first.
    const std::vector<DWORD> axes(everything.begin(), everything.begin() + 6);
    for (DWORD type : axes) {
        EXPECT_NE(type & DIDFT_AXIS, 0u);
    }
    EXPECT_EQ(everything[6] & DIDFT_AXIS, 0u);
    EXPECT_EQ(device_->EnumObjects(nullptr, nullptr, DIDFT_ALL), DIERR_INVALIDPARAM);

    DIPROPRANGE range{};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwObj = axes[3];
    range.diph.dwHow = DIPH_BYID;
    range.lMin = -1000;
    range.lMax = 1000;
    EXPECT_EQ(device_->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);

    range.lMin = 5;
    range.lMax = 5;
    EXPECT_EQ(device_->SetProperty(DIPROP_RANGE, &range.diph), DIERR_INVALIDPARAM);
    range.lMin = -1;
    range.diph.dwSize = sizeof range.diph;
    EXPECT_EQ(device_->SetProperty(DIPROP_RANGE, &range.diph), DIERR_INVALIDPARAM);
    range.diph.dwSize = sizeof range;
    range.diph.dwObj = DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(0);
    EXPECT_EQ(device_->SetProperty(DIPROP_RANGE, &range.diph), DIERR_UNSUPPORTED);
    range.diph.dwObj = DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(40);
    EXPECT_EQ(device_->SetProperty(DIPROP_RANGE, &range.diph), DIERR_OBJECTNOTFOUND);
    range.diph.dwObj = axes[1];
    range.diph.dwHow = 1;  // by offset: not offered
    EXPECT_EQ(device_->SetProperty(DIPROP_RANGE, &range.diph), DIERR_INVALIDPARAM);
    range.diph.dwHow = DIPH_BYID;
    EXPECT_EQ(device_->SetProperty(GUID_NULL, &range.diph), DIERR_UNSUPPORTED);

    // Changes wait until the device is let go.
    ASSERT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(device_->SetDataFormat(&c_dfDIJoystick2), DIERR_ACQUIRED);
    EXPECT_EQ(device_->SetProperty(DIPROP_RANGE, &range.diph), DIERR_ACQUIRED);
}

TEST_F(ControllerTest, PollFailsUntilAcquiredThenReadsTheMappedState)
{
    SDL_Joystick* pad = AttachPad("Pad");
    ASSERT_NE(pad, nullptr);
    SetUpFirstController();

    DIJOYSTATE2 state{};
    EXPECT_EQ(device_->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(device_->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(device_->Acquire(), S_FALSE);

    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 16384);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY, -16384);
    const SDL_GameControllerButton pressed[] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
                                                SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
    for (SDL_GameControllerButton button : pressed) {
        SDL_JoystickSetVirtualButton(pad, button, SDL_PRESSED);
    }
    ASSERT_EQ(device_->Poll(), DI_OK);
    EXPECT_EQ(device_->GetDeviceState(80, &state), DIERR_INVALIDPARAM);  // the joystick-1 size
    EXPECT_EQ(device_->GetDeviceState(sizeof state, nullptr), DIERR_INVALIDPARAM);
    ASSERT_EQ(device_->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, -1000);
    EXPECT_EQ(state.lY, 500);
    EXPECT_EQ(state.lRx, 1000);
    EXPECT_EQ(state.lRy, -500);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
    EXPECT_EQ(state.rgbButtons[2], 0x00);
    EXPECT_EQ(state.rgbButtons[3], 0x00);
    EXPECT_EQ(state.rgbButtons[4], 0x80);
    EXPECT_EQ(state.rgbButtons[5], 0x80);
    EXPECT_EQ(state.rgbButtons[6], 0x00);

    // Values change only with the next poll.
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_RELEASED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_Y, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_BACK, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
    ASSERT_EQ(device_->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    ASSERT_EQ(device_->Poll(), DI_OK);
    ASSERT_EQ(device_->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.rgbButtons[0], 0x00);
    EXPECT_EQ(state.rgbButtons[3], 0x80);
    EXPECT_EQ(state.rgbButtons[6], 0x80);
    EXPECT_EQ(state.rgbButtons[7], 0x80);
    EXPECT_EQ(state.rgbButtons[8], 0x80);
    EXPECT_EQ(state.rgbButtons[9], 0x80);
    EXPECT_EQ(state.lX, 0);
}

TEST_F(ControllerTest, LosingTheFocusLosesTheDeviceUntilTheFocusReturns)
{
    SDL_Joystick* pad = AttachPad("Pad");
    ASSERT_NE(pad, nullptr);
    SetUpFirstController();
    ASSERT_EQ(device_->Acquire(), DI_OK);
    ASSERT_EQ(device_->Poll(), DI_OK);

    // The window layer learns of focus changes through the message pump.
    PushFocus(false);

    DIJOYSTATE2 state{};
    EXPECT_EQ(device_->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(device_->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(device_->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(device_->Acquire(), DIERR_OTHERAPPHASPRIO);

    PushFocus(true);
    EXPECT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(device_->Poll(), DI_OK);
    EXPECT_EQ(device_->GetDeviceState(sizeof state, &state), DI_OK);

    // Hiding the window takes the focus as well.
    ShowWindow(window_, SW_HIDE);
    EXPECT_EQ(device_->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
}

TEST_F(ControllerTest, UntilTheLevelIsSetTheFocusDoesNotMatter)
{
    AttachPad("Pad");
    ASSERT_EQ(input_->CreateDevice(Enumerate().back().guidInstance, &device_, nullptr), DI_OK);
    ASSERT_EQ(device_->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    ShowWindow(window_, SW_HIDE);
    EXPECT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(device_->Poll(), DI_OK);
}

TEST_F(ControllerTest, UnpluggedControllerIsLostAndCannotBeAcquired)
{
    AttachPad("Pad");
    SetUpFirstController();
    ASSERT_EQ(device_->Acquire(), DI_OK);
    ASSERT_EQ(device_->Poll(), DI_OK);
    ASSERT_TRUE(DetachLastVirtual());
    EXPECT_EQ(device_->Poll(), DIERR_INPUTLOST);
    // Never DIERR_INPUTLOST here: the game retries Acquire for as long as it says so.
    EXPECT_EQ(device_->Acquire(), DIERR_UNPLUGGED);
    EXPECT_EQ(device_->Acquire(), DIERR_UNPLUGGED);
}

TEST_F(ControllerTest, ExclusiveDevicesShareNoController)
{
    AttachPad("Pad");
    SetUpFirstController();
    IDirectInputDevice8W* second = nullptr;
    ASSERT_EQ(input_->CreateDevice(Enumerate(1)[0].guidInstance, &second, nullptr), DI_OK);
    ASSERT_EQ(second->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    ASSERT_EQ(second->SetCooperativeLevel(window_, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    ASSERT_EQ(device_->Acquire(), DI_OK);
    EXPECT_EQ(second->Acquire(), DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(device_->Unacquire(), DI_OK);
    EXPECT_EQ(device_->Unacquire(), DI_NOEFFECT);
    EXPECT_EQ(second->Acquire(), DI_OK);
    second->Release();
}

TEST_F(ControllerTest, TheGamesPollingLoopAcquiresOnTheFirstPassAndReadsFromTheNext)
{
    SDL_Joystick* pad = AttachPad("Pad");
    ASSERT_NE(pad, nullptr);
    SetUpFirstController();
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);

    DIJOYSTATE2 state{};
    auto pollController = [&]() {
        if (FAILED(device_->Poll())) {
            HRESULT hr = device_->Acquire();
            int tries = 0;
            while (hr == DIERR_INPUTLOST && ++tries < 1000) {
                hr = device_->Acquire();
            }
            EXPECT_LT(tries, 1000);
            return false;
        }
        return SUCCEEDED(device_->GetDeviceState(sizeof state, &state));
    };
    EXPECT_FALSE(pollController());
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_TRUE(pollController());
    EXPECT_EQ(state.rgbButtons[0], 0x80);
}

TEST_F(ControllerTest, ExtraMappingsLoadFromTheDataFolder)
{
    // A plain joystick SDL has no mapping for is not a game controller until the file names it.
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = 2;
    desc.nbuttons = 2;
    desc.vendor_id = 0x1234;
    desc.product_id = 0x5678;
    desc.name = "Odd Stick";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0);
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);

    const size_t before = Enumerate().size();
    IDirectInput8W* second = nullptr;
    HRESULT created = E_FAIL;
    {
        TempFolder folder("tarnwick_pad");
        const std::string data = folder / "data";
        ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
        FILE* f = std::fopen((data + "/gamecontrollerdb.txt").c_str(), "w");
        ASSERT_NE(f, nullptr);
        // SDL takes only the lines for the system it runs on.
        std::fprintf(f, "%s,Odd Stick,a:b0,b:b1,leftx:a0,lefty:a1,platform:%s,\n", guid, SDL_GetPlatform());
        std::fclose(f);
        ASSERT_TRUE(folder.Enter());
        created =
            DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, &second, nullptr);
    }
    ASSERT_EQ(created, DI_OK);
    EXPECT_EQ(Enumerate().size(), before + 1);
    second->Release();
}

}  // namespace
