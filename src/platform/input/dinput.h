#pragma once

// Game controllers shaped like DirectInput 8 over SDL's game controller API. Only game
// controllers are offered (SDL's standard layout); the state record is DIJOYSTATE2.

#include "platform/ref_counted.h"

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DIERR_GENERIC = E_FAIL;
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_NOINTERFACE = MakeHresult(0x80004002u);
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = MakeHresult(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = MakeHresult(0x80070481u);
constexpr HRESULT DIERR_DEVICENOTREG = MakeHresult(0x80040154u);
constexpr HRESULT DIERR_NOAGGREGATION = MakeHresult(0x80040110u);
constexpr HRESULT DIERR_OBJECTNOTFOUND = MakeHresult(0x80070002u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = MakeHresult(0x80070005u);
constexpr HRESULT DIERR_NOTACQUIRED = MakeHresult(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = MakeHresult(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = MakeHresult(0x800700AAu);
constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DIERR_UNPLUGGED = MakeHresult(0x80040209u);
constexpr HRESULT E_HANDLE = MakeHresult(0x80070006u);

constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;

constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

constexpr DWORD kDiNameLength = 260;

// The fields the game reads; the rest of Win32's record is left out.
struct DIDEVICEINSTANCEW {
    DWORD dwSize;
    GUID guidInstance;  // names this connection of the controller; CreateDevice takes it
    char tszProductName[kDiNameLength];
};

using LPDIENUMDEVICESCALLBACKW = BOOL (*)(const DIDEVICEINSTANCEW* instance, void* context);

constexpr DWORD DIDFT_ALL = 0x00000000;
constexpr DWORD DIDFT_ABSAXIS = 0x00000002;
constexpr DWORD DIDFT_AXIS = 0x00000003;
constexpr DWORD DIDFT_PSHBUTTON = 0x00000004;
constexpr DWORD DIDFT_POV = 0x00000010;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return (n & 0xFFFFu) << 8; }
constexpr DWORD DIDFT_GETINSTANCE(DWORD type) { return (type >> 8) & 0xFFFFu; }
constexpr DWORD DIDFT_GETTYPE(DWORD type) { return type & 0xFFu; }

// As DIDEVICEINSTANCEW, only what is read.
struct DIDEVICEOBJECTINSTANCEW {
    DWORD dwSize;
    DWORD dwType;  // DIDFT_ type bits | DIDFT_MAKEINSTANCE(index)
};

using LPDIENUMDEVICEOBJECTSCALLBACKW = BOOL (*)(const DIDEVICEOBJECTINSTANCEW* object, void* context);

constexpr DWORD DIPH_BYID = 2;

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};

struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};
static_assert(sizeof(DIPROPHEADER) == 16);
static_assert(sizeof(DIPROPRANGE) == 24);

// Our data objects live in a namespace of their own and are brought out by name: on Windows
// SDL and the system's libraries define objects called IID_IDirectInput8W and the like, and
// the linker must never meet two. (Functions need this not: C++ gives ours their own names.)
namespace dinput_objects {
// Property identifiers: compared by identity, as DirectInput's small-integer GUIDs are.
extern const GUID DIPROP_RANGE;
}  // namespace dinput_objects
using dinput_objects::DIPROP_RANGE;

struct DIJOYSTATE2 {
    LONG lX;
    LONG lY;
    LONG lZ;
    LONG lRx;
    LONG lRy;
    LONG lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];  // hundredths of a degree clockwise from up; 0xFFFFFFFF centred
    BYTE rgbButtons[128];
    LONG rglMotion[24];  // Win32's velocities, accelerations and forces: never filled here
};
static_assert(sizeof(DIJOYSTATE2) == 272);

// Of Win32's record only the size of the state a format fills: nothing reads the rest.
struct DIDATAFORMAT {
    DWORD dwDataSize;
};

namespace dinput_objects {
// The joystick-2 format: GetDeviceState fills a DIJOYSTATE2.
extern const DIDATAFORMAT c_dfDIJoystick2;
}  // namespace dinput_objects
using dinput_objects::c_dfDIJoystick2;

constexpr DWORD DISCL_EXCLUSIVE = 0x01;
constexpr DWORD DISCL_FOREGROUND = 0x04;

namespace dinput_objects {
extern const GUID IID_IDirectInput8W;
}  // namespace dinput_objects
using dinput_objects::IID_IDirectInput8W;

struct ControllerDevice;

class IDirectInputDevice8W : public RefCounted<IDirectInputDevice8W> {
public:
    // Only c_dfDIJoystick2; not while acquired.
    HRESULT SetDataFormat(const DIDATAFORMAT* format);
    // DISCL_EXCLUSIVE | DISCL_FOREGROUND, the one level offered: from then on the device reads
    // only while `window` has the focus, and no other device reads the controller meanwhile.
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    // Every object, DIDFT_ALL: axes (two sticks, two triggers), the POV hat, the buttons.
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, void* context, DWORD flags);
    // DIPROP_RANGE for one axis, DIPH_BYID.
    HRESULT SetProperty(const GUID& property, const DIPROPHEADER* header);
    // S_OK; S_FALSE when already acquired; DIERR_OTHERAPPHASPRIO without the focus or while
    // another device holds the controller; DIERR_UNPLUGGED once it is gone.
    HRESULT Acquire();
    HRESULT Unacquire();
    // Reads the controller. DIERR_NOTACQUIRED before Acquire; DIERR_INPUTLOST when the focus or
    // the controller went away since (the device is then no longer acquired).
    HRESULT Poll();
    // Fills the state of the last Poll. Same failures as Poll; DIERR_INVALIDPARAM for a size
    // other than the data format's.
    HRESULT GetDeviceState(DWORD size, void* data);

private:
    friend class IDirectInput8W;
    friend class RefCounted<IDirectInputDevice8W>;
    explicit IDirectInputDevice8W(ControllerDevice* device);
    ~IDirectInputDevice8W();

    ControllerDevice* device_;
};

class IDirectInput8W : public RefCounted<IDirectInput8W> {
public:
    // DI8DEVCLASS_GAMECTRL, DIEDFL_ATTACHEDONLY: the attached game controllers in SDL's
    // order. The callback returns DIENUM_CONTINUE or DIENUM_STOP.
    HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, void* context, DWORD flags);
    // DIERR_DEVICENOTREG when no attached controller has that instance id.
    HRESULT CreateDevice(const GUID& instance, IDirectInputDevice8W** device, void* outer);

private:
    friend HRESULT DirectInput8Create(HINSTANCE, DWORD, const GUID&, IDirectInput8W**, void*);
    friend class RefCounted<IDirectInput8W>;
    IDirectInput8W() = default;
    ~IDirectInput8W();
};

// Starts SDL's game controllers and loads the mappings of a gamecontrollerdb.txt beside the
// game's data. Refuses other versions and interfaces as DirectInput does; DIERR_GENERIC when
// SDL cannot start.
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& interfaceId, IDirectInput8W** out,
                           void* outer);
