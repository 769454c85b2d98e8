#pragma once

// The screens' rules on explicit state: which press moves a picture screen on, where it
// leads, and what a playing frame's outcome makes of the session. The frame driver, the
// headless runner and the level planner all go through here, so the rules exist once.

#include <cstdint>
#include <string>

#include "shell/playing_step.h"

class CCreature;

// The levels a run plays: indices 0 to 7.
constexpr std::int32_t kLevelCount = 8;
// Frames run at 60 a second.
constexpr std::int32_t kFramesPerTenth = 6;

// Any value other than the named screens plays.
enum class Screen : std::int32_t { Title = 0, LevelUp = 1, Playing = 2, GameEnd = 3, Retry = 4 };

// The name the tools write for a screen: "title", "levelup", "playing", "gameend", "retry".
const char* ScreenName(Screen screen);
// The screen a tool's number stands for; anything unknown plays, as in the frame driver.
Screen ScreenFromNumber(std::int32_t number);

// What one run of the game carries from frame to frame, outside the creature and the world.
struct GameSession {
    Screen screen = Screen::Title;
    // Levels completed in this run, and the index of the level the next start loads.
    std::int32_t levelCounter = 0;
    // Set in every screen frame with the mouse button up; a held click counts only while set.
    bool clickArmed = false;
    // The sticks' build-up, carried from one playing frame to the next.
    StickRamps stickRamps;
    // The mouse mapped to about -1..1 (y upwards) by Input.pointerSpan; not clamped.
    float pointerX = 0.0f;
    float pointerY = 0.0f;
    // Set when a map that became unusable is refused, until the key, button and click that
    // asked are all let go: a held button must not retry the map, and print its line, every
    // frame.
    bool titleWaitsForRelease = false;
    // Playing frames since the level under way was entered (again, after a fall).
    std::int32_t levelFrames = 0;
    // The frames the last completed level took, and each level's fewest (0: never completed).
    std::int32_t finishedFrames = 0;
    std::int32_t bestFrames[kLevelCount] = {};
    // Index of the furthest level reached: the title starts any level up to it.
    std::int32_t reachedLevel = 0;
    // Where progress is kept, written at each level's end; empty: not kept (tools, tests).
    std::string progressPath;

    void Reset() { *this = GameSession{}; }
};

// The presses a picture screen's frame sees.
struct ScreenPresses {
    bool clickHeld = false;         // the left button is down now
    bool clickTapped = false;       // it went down since the last frame
    bool keyTapped = false;         // Space or Enter went down (not a repeat) since the last frame
    bool buttonTapped = false;      // controller button A (0) went down since the last frame
    bool backButton = false;        // controller button 1 is down
    std::int32_t chosenLevel = -1;  // a level's number key went down on the title: its index
};

// The level a number key (1 to 8, the top row or the keypad) names on the title; -1 for any
// other key.
std::int32_t LevelOfKey(int keyPosition);

// Only Space and Enter move a screen on: a steering key, whatever the bindings, or a key
// that toggles full screen or the music, pressed at the level's end, must not skip it.
bool KeyAdvancesScreens(int keyPosition);

// What the caller must do after a screen's frame.
enum class ScreenChange { None, NewGame, EnterLevel };

// One frame of the screen the session shows (not of play): NewGame starts a game at
// session.levelCounter (0, or a level reached chosen on the title; the caller resets what a
// new game resets), EnterLevel loads session.levelCounter.
ScreenChange StepScreen(GameSession& session, const ScreenPresses& presses);

// At a frame's start: past the last level the game ends.
void CheckGameEnd(GameSession& session);

// After a playing frame's step: a creature dead when the frame began shows the retry screen;
// the goal counts the level and shows the level-up screen (goal wins).
void AfterPlayingStep(GameSession& session, const PlayOutcome& outcome);

// The steering a creature is left with by released sticks on a level's last playing frame,
// which the next level starts from.
void SteerAsReleased(CCreature& creature);

// What a player arriving at a level leaves behind: its level-up screen, and the creature
// steered as released sticks leave it.
void ArriveAtLevel(GameSession& session, CCreature& creature, std::int32_t levelIndex);
