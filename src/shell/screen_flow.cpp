#include "shell/screen_flow.h"

#include <algorithm>

#include "creature/creature.h"
#include "platform/window/keys.h"

namespace {

constexpr std::int32_t kLastLevel = kLevelCount - 1;

// A press that began since the last frame: Space, Enter, button A, or a click whose button
// was seen up in an earlier screen frame (so one held since before the screen still waits).
// Held keys and buttons never count: what was held through the level's end must not skip
// the screen after it.
bool Tapped(const ScreenPresses& p, bool armedBefore)
{
    return p.keyTapped || p.buttonTapped || (p.clickTapped && armedBefore);
}

// A click counts only if the button was seen up in an earlier screen frame; a key only
// while the button is up.
bool Advances(GameSession& s, const ScreenPresses& p)
{
    if (!p.clickHeld) {
        const bool armedBefore = s.clickArmed;
        s.clickArmed = true;
        return Tapped(p, armedBefore);
    }
    return s.clickArmed;
}

ScreenChange RetryStep(GameSession& s, const ScreenPresses& p)
{
    const bool armedBefore = s.clickArmed;
    if (!p.clickHeld) {
        s.clickArmed = true;
    } else if (!s.clickArmed) {
        return ScreenChange::None;
    }
    if (p.backButton) {
        s.screen = Screen::Title;
    }
    if (p.clickHeld || Tapped(p, armedBefore)) {
        s.clickArmed = false;
        s.screen = Screen::Playing;
        s.levelFrames = 0;
        return ScreenChange::EnterLevel;
    }
    return ScreenChange::None;
}

}  // namespace

bool KeyAdvancesScreens(int keyPosition)
{
    return keyPosition == kKeySpace || keyPosition == kKeyEnter || keyPosition == kKeyPadEnter;
}

std::int32_t LevelOfKey(int keyPosition)
{
    if (keyPosition >= kKey1 && keyPosition < kKey1 + kLevelCount) {
        return keyPosition - kKey1;
    }
    if (keyPosition >= kKeyPad1 && keyPosition < kKeyPad1 + kLevelCount) {
        return keyPosition - kKeyPad1;
    }
    return -1;
}

const char* ScreenName(Screen screen)
{
    switch (screen) {
    case Screen::Title: return "title";
    case Screen::LevelUp: return "levelup";
    case Screen::GameEnd: return "gameend";
    case Screen::Retry: return "retry";
    default: return "playing";
    }
}

Screen ScreenFromNumber(std::int32_t number) { return static_cast<Screen>(number); }

ScreenChange StepScreen(GameSession& session, const ScreenPresses& presses)
{
    switch (session.screen) {
    case Screen::Title: {
        const bool chosen =
            presses.chosenLevel >= 0 && presses.chosenLevel <= session.reachedLevel && !presses.clickHeld;
        if (Advances(session, presses) || chosen) {
            session.clickArmed = false;
            session.screen = Screen::Playing;
            session.levelCounter = chosen ? presses.chosenLevel : 0;
            session.levelFrames = 0;
            return ScreenChange::NewGame;
        }
        return ScreenChange::None;
    }
    case Screen::LevelUp:
        if (Advances(session, presses)) {
            session.clickArmed = false;
            session.screen = Screen::Playing;
            session.levelFrames = 0;
            return ScreenChange::EnterLevel;
        }
        return ScreenChange::None;
    case Screen::Retry: return RetryStep(session, presses);
    case Screen::GameEnd:
        session.levelCounter = 0;
        if (Advances(session, presses)) {
            session.clickArmed = false;
            session.screen = Screen::Title;
        }
        return ScreenChange::None;
    default: return ScreenChange::None;
    }
}

void CheckGameEnd(GameSession& session)
{
    if (session.levelCounter > kLastLevel) {
        session.screen = Screen::GameEnd;
    }
}

void AfterPlayingStep(GameSession& session, const PlayOutcome& outcome)
{
    if (outcome.wasDead) {
        session.screen = Screen::Retry;
    }
    session.levelFrames += 1;
    if (outcome.reachedGoal) {
        const std::int32_t level = session.levelCounter;
        session.finishedFrames = session.levelFrames;
        if (level >= 0 && level < kLevelCount &&
            (session.bestFrames[level] == 0 || session.levelFrames < session.bestFrames[level])) {
            session.bestFrames[level] = session.levelFrames;
        }
        session.levelCounter += 1;
        session.reachedLevel = std::max(session.reachedLevel, std::min(session.levelCounter, kLastLevel));
        session.screen = Screen::LevelUp;
    }
}

void SteerAsReleased(CCreature& creature)
{
    StickRamps ramps;
    SteerCreature(creature, ShapeSteering(SteeringInput{}, ramps), false);
}

void ArriveAtLevel(GameSession& session, CCreature& creature, std::int32_t levelIndex)
{
    session.levelCounter = levelIndex;
    session.screen = Screen::LevelUp;
    SteerAsReleased(creature);
}
