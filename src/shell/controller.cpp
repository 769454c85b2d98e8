#include "shell/controller.h"

#include <cstring>

#include "platform/files/files.h"

GameController GamePad;

namespace {

constexpr LONG kAxisMin = -1000;
constexpr LONG kAxisMax = 1000;
// Acquire is asked again while input is lost, but a device that keeps saying so must not
// hang the loop: the next pass tries again anyway.
constexpr int kAcquireAttempts = 100;
// Passes between looks for a controller plugged in later: a few a second at any frame rate
// the game runs at, and listing the controllers costs little.
constexpr int kPassesBetweenLooks = 30;

BOOL TakeFirstController(const DIDEVICEINSTANCEW* instance, void*)
{
    if (FAILED(GamePad.directInput->CreateDevice(instance->guidInstance, &GamePad.device, nullptr))) {
        GamePad.device = nullptr;
        return DIENUM_CONTINUE;
    }
    std::memcpy(GamePad.name, instance->tszProductName, sizeof GamePad.name);
    GamePad.name[sizeof GamePad.name - 1] = '\0';
    return DIENUM_STOP;
}

BOOL SetAxisRange(const DIDEVICEOBJECTINSTANCEW* object, void*)
{
    if ((object->dwType & DIDFT_AXIS) == 0) {
        return DIENUM_CONTINUE;
    }
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof(DIPROPRANGE);
    range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    range.diph.dwObj = object->dwType;
    range.diph.dwHow = DIPH_BYID;
    range.lMin = kAxisMin;
    range.lMax = kAxisMax;
    return FAILED(GamePad.device->SetProperty(DIPROP_RANGE, &range.diph)) ? DIENUM_STOP : DIENUM_CONTINUE;
}

HRESULT PrepareController(HWND window)
{
    HRESULT hr = GamePad.device->SetDataFormat(&c_dfDIJoystick2);
    if (FAILED(hr)) {
        return hr;
    }
    hr = GamePad.device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    if (FAILED(hr)) {
        return hr;
    }
    hr = GamePad.device->EnumObjects(SetAxisRange, window, DIDFT_ALL);
    return FAILED(hr) ? hr : S_OK;
}

// The controller went away: its last state must not keep steering.
void DropController()
{
    GamePad.device->Release();
    GamePad.device = nullptr;
    GamePad.name[0] = '\0';
    std::memset(&GamePad.state, 0, sizeof GamePad.state);
    GamePad.passesUntilLook = 0;
}

// A controller plugged in after start-up is taken up as the first one was, and as a new
// device its button 0 counts again.
void LookForController()
{
    if (GamePad.directInput == nullptr || GamePad.window == nullptr || --GamePad.passesUntilLook > 0) {
        return;
    }
    GamePad.passesUntilLook = kPassesBetweenLooks;
    if (FAILED(GamePad.directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, TakeFirstController, nullptr,
                                                DIEDFL_ATTACHEDONLY)) ||
        GamePad.device == nullptr) {
        return;
    }
    if (FAILED(PrepareController(GamePad.window))) {
        DropController();
        GamePad.passesUntilLook = kPassesBetweenLooks;
        return;
    }
    GamePad.present = true;
}

}  // namespace

HRESULT SetupController(HWND window)
{
    GamePad.window = window;
    GamePad.passesUntilLook = kPassesBetweenLooks;
    HRESULT hr = DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                    &GamePad.directInput, nullptr);
    if (FAILED(hr)) {
        GamePad.directInput = nullptr;
        return hr;
    }
    hr = GamePad.directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, TakeFirstController, nullptr, DIEDFL_ATTACHEDONLY);
    if (FAILED(hr)) {
        return hr;
    }
    if (GamePad.device == nullptr) {
        return S_OK;
    }
    return PrepareController(window);
}

void PollController()
{
    if (GamePad.device == nullptr) {
        LookForController();
        return;
    }
    if (FAILED(GamePad.device->Poll())) {
        HRESULT acquired = GamePad.device->Acquire();
        for (int attempt = 1; attempt < kAcquireAttempts && acquired == DIERR_INPUTLOST; ++attempt) {
            acquired = GamePad.device->Acquire();
        }
        if (acquired == DIERR_UNPLUGGED) {
            DropController();
        }
        return;
    }
    if (FAILED(GamePad.device->GetDeviceState(sizeof(DIJOYSTATE2), &GamePad.state))) {
        GamePad.present = false;
    }
}

void GameController::Reset()
{
    if (device != nullptr) {
        device->Unacquire();
        device->Release();
    }
    if (directInput != nullptr) {
        directInput->Release();
    }
    *this = GameController{};
}

bool ControllerButton(int index) { return GamePad.state.rgbButtons[index] != 0; }
