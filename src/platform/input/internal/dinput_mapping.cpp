// SDL's controller state as a DIJOYSTATE2: axis scaling onto a range, the d-pad as a POV
// angle, the button order.

#include "platform/input/internal/dinput_mapping.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr SDL_GameControllerButton kButtonOrder[kControllerButtonCount] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,
    SDL_CONTROLLER_BUTTON_PADDLE2,
    SDL_CONTROLLER_BUTTON_PADDLE3,
    SDL_CONTROLLER_BUTTON_PADDLE4,
    SDL_CONTROLLER_BUTTON_TOUCHPAD,
};

// Rounds num / den to nearest, halves away from zero; den > 0.
std::int64_t RoundedDivide(std::int64_t num, std::int64_t den)
{
    return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
}

LONG Scale(std::int64_t offset, std::int64_t span, AxisRange range)
{
    const std::int64_t width = static_cast<std::int64_t>(range.max) - range.min;
    return static_cast<LONG>(range.min + RoundedDivide(offset * width, span));
}

DWORD PovFromDpad(bool up, bool right, bool down, bool left)
{
    const int dx = (right ? 1 : 0) - (left ? 1 : 0);
    const int dy = (down ? 1 : 0) - (up ? 1 : 0);
    static constexpr DWORD kAngles[3][3] = {
        // dx = -1, 0, 1
        {31500, 0, 4500},            // up
        {27000, 0xFFFFFFFFu, 9000},  // level: the centre is no angle
        {22500, 18000, 13500},       // down
    };
    return kAngles[dy + 1][dx + 1];
}

}  // namespace

LONG ScaleStickAxis(Sint16 value, AxisRange range)
{
    return Scale(static_cast<std::int64_t>(value) + 32768, 65535, range);
}

LONG ScaleTriggerAxis(Sint16 value, AxisRange range) { return Scale(value < 0 ? 0 : value, 32767, range); }

SDL_GameControllerButton ControllerButtonAt(int index)
{
    return index >= 0 && index < kControllerButtonCount ? kButtonOrder[index] : SDL_CONTROLLER_BUTTON_INVALID;
}

void MapControllerState(const RawControllerState& raw, const AxisRange ranges[kAxisCount], DIJOYSTATE2* state)
{
    std::memset(state, 0, sizeof *state);
    state->lX = ScaleStickAxis(raw.axes[SDL_CONTROLLER_AXIS_LEFTX], ranges[kAxisX]);
    state->lY = ScaleStickAxis(raw.axes[SDL_CONTROLLER_AXIS_LEFTY], ranges[kAxisY]);
    state->lZ = ScaleTriggerAxis(raw.axes[SDL_CONTROLLER_AXIS_TRIGGERLEFT], ranges[kAxisZ]);
    state->lRx = ScaleStickAxis(raw.axes[SDL_CONTROLLER_AXIS_RIGHTX], ranges[kAxisRx]);
    state->lRy = ScaleStickAxis(raw.axes[SDL_CONTROLLER_AXIS_RIGHTY], ranges[kAxisRy]);
    state->lRz = ScaleTriggerAxis(raw.axes[SDL_CONTROLLER_AXIS_TRIGGERRIGHT], ranges[kAxisRz]);
    state->rgdwPOV[0] = PovFromDpad(
        raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_UP] != 0, raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_RIGHT] != 0,
        raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_DOWN] != 0, raw.buttons[SDL_CONTROLLER_BUTTON_DPAD_LEFT] != 0);
    state->rgdwPOV[1] = state->rgdwPOV[2] = state->rgdwPOV[3] = 0xFFFFFFFFu;
    for (int i = 0; i < kControllerButtonCount; ++i) {
        state->rgbButtons[i] = raw.buttons[kButtonOrder[i]] != 0 ? 0x80 : 0x00;
    }
}
