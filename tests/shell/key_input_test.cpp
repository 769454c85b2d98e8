#include <SDL.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "game_fixture.h"
#include "platform/window/keys.h"
#include "platform/window/window_testing.h"
#include "shell/key_input.h"
#include "shell/level_load.h"
#include "sound/music.h"
#include "world/world.h"

namespace {

// Keys and the mouse as SDL events, so they reach the game through the platform's
// translation, the loop and its message record.
class KeyInput : public GameFixture {
public:
    void Key(bool down, SDL_Scancode position, SDL_Keycode shown, const char* text = nullptr, Uint16 mod = 0,
             bool repeat = false)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = WindowEventId(window);
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat ? 1 : 0;
        event.key.keysym.scancode = position;
        event.key.keysym.sym = shown;
        event.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        if (down && text != nullptr) {
            SDL_Event typed{};
            typed.type = SDL_TEXTINPUT;
            typed.text.windowID = WindowEventId(window);
            std::strncpy(typed.text.text, text, sizeof typed.text.text - 1);
            ASSERT_EQ(SDL_PushEvent(&typed), 1);
        }
    }
    void Down(SDL_Scancode position, SDL_Keycode shown, const char* text = nullptr)
    {
        Key(true, position, shown, text);
    }
    void Up(SDL_Scancode position, SDL_Keycode shown) { Key(false, position, shown); }
    // The key-down a held key's auto-repeat sends.
    void Repeat(SDL_Scancode position, SDL_Keycode shown) { Key(true, position, shown, nullptr, 0, true); }
    void Tap(SDL_Scancode position, SDL_Keycode shown, const char* text = nullptr)
    {
        Down(position, shown, text);
        Up(position, shown);
    }

    void Button(bool down)
    {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = WindowEventId(window);
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    // Loop passes until one has run a frame (all waiting messages dispatched before it).
    LoopPass Frame()
    {
        for (int i = 0; i < 100; ++i) {
            const LoopPass pass = RunLoopPass(message);
            if (pass != LoopPass::Dispatched) {
                return pass;
            }
        }
        ADD_FAILURE() << "no frame ran";
        return LoopPass::Quit;
    }

    void StartAndShowTheTitle()
    {
        ASSERT_EQ(Start(), S_OK);
        ASSERT_EQ(Frame(), LoopPass::RanFrame);
        ASSERT_EQ(Session.screen, Screen::Title);
    }

    MSG message{};
};

TEST_F(KeyInput, BothFeetAndBothGripsSteerThroughTheLoop)
{
    StartAndShowTheTitle();
    Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
    Frame();
    ASSERT_EQ(Session.screen, Screen::Playing);
    Down(SDL_SCANCODE_T, SDLK_t, "t");
    Down(SDL_SCANCODE_H, SDLK_h, "h");
    Down(SDL_SCANCODE_LEFT, SDLK_LEFT);
    Down(SDL_SCANCODE_UP, SDLK_UP);
    Down(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
    Down(SDL_SCANCODE_RCTRL, SDLK_RCTRL);
    Frame();
    EXPECT_EQ(ReadSteering(), (SteeringInput{1000, -1000, -1000, -1000, true, true}));
    EXPECT_TRUE(Creature.leftGripHeld);
    EXPECT_TRUE(Creature.rightGripHeld);
    // Grips give the fast steering: the upward part tripled at once, the ramp full.
    EXPECT_FLOAT_EQ(Creature.leftSteer.x, 2.0f);
    EXPECT_FLOAT_EQ(Creature.leftSteer.y, 6.0f);
    EXPECT_FLOAT_EQ(Creature.rightSteer.x, -2.0f);
    EXPECT_FLOAT_EQ(Creature.rightSteer.y, 6.0f);
    EXPECT_EQ(Session.stickRamps.left, 150);
    EXPECT_EQ(Session.screen, Screen::Playing) << "the arrows' key-downs do not leave play";

    for (SDL_Scancode position :
         {SDL_SCANCODE_T, SDL_SCANCODE_H, SDL_SCANCODE_LEFT, SDL_SCANCODE_UP, SDL_SCANCODE_SPACE, SDL_SCANCODE_RCTRL}) {
        Up(position, SDLK_UNKNOWN);
    }
    Frame();
    EXPECT_EQ(ReadSteering(), SteeringInput{});
    EXPECT_FALSE(Creature.leftGripHeld);
    EXPECT_FLOAT_EQ(Creature.leftSteer.y, -0.3f) << "released keys leave the idle pull";
}

TEST_F(KeyInput, KeysAreReadByPositionWhateverTheLayoutTypes)
{
    StartAndShowTheTitle();
    Session.screen = Screen::Playing;
    // A French keyboard: the US "Q" position types "a", the US "W" position "z"; a Dvorak one
    // types "y" at the US "T" position. Steering follows positions, W follows the letter.
    Down(SDL_SCANCODE_T, SDLK_y, "y");
    Down(SDL_SCANCODE_W, SDLK_z, "z");
    Frame();
    EXPECT_EQ(ReadSteering().ly, -1000);
    EXPECT_EQ(Session.screen, Screen::Playing) << "the key at W's US position is no W here";
    Down(SDL_SCANCODE_Z, SDLK_w, "w");
    Frame();
    EXPECT_EQ(Session.screen, Screen::Title) << "the key that types W returns to the title";
}

TEST_F(KeyInput, KeysAndAControllerCombineInTheFrame)
{
    StartAndShowTheTitle();
    Session.screen = Screen::Playing;
    GamePad.state.lX = -400;
    GamePad.state.lY = 700;
    GamePad.state.rgbButtons[5] = 0x80;
    Down(SDL_SCANCODE_T, SDLK_t, "t");
    Frame();
    EXPECT_EQ(ReadSteering(), (SteeringInput{-400, -1000, 0, 0, false, true}));
    EXPECT_TRUE(Creature.rightGripHeld);
    EXPECT_FLOAT_EQ(Creature.leftSteer.x, -0.8f);
    EXPECT_FLOAT_EQ(Creature.leftSteer.y, 2.0f);
}

// A screen moves on only for a press that begins while it is shown, and only from Space,
// Enter, a click or button A: steering keys, the desktop's keys and modifiers never.
struct PressCase {
    const char* name;
    std::function<void(KeyInput&)> press;
    bool advances;
};

const PressCase kPresses[] = {
    {"Space", [](KeyInput& t) { t.Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " "); }, true},
    {"Enter", [](KeyInput& t) { t.Tap(SDL_SCANCODE_RETURN, SDLK_RETURN); }, true},
    {"Enter held down", [](KeyInput& t) { t.Down(SDL_SCANCODE_RETURN, SDLK_RETURN); }, true},
    {"keypad Enter", [](KeyInput& t) { t.Tap(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER); }, true},
    {"a click",
     [](KeyInput& t) {
         t.Button(true);
         t.Button(false);
     },
     true},
    {"right arrow (right foot)", [](KeyInput& t) { t.Tap(SDL_SCANCODE_RIGHT, SDLK_RIGHT); }, false},
    {"up arrow held, repeating",
     [](KeyInput& t) {
         t.Down(SDL_SCANCODE_UP, SDLK_UP);
         t.Repeat(SDL_SCANCODE_UP, SDLK_UP);
     },
     false},
    {"t (left foot)", [](KeyInput& t) { t.Tap(SDL_SCANCODE_T, SDLK_t, "t"); }, false},
    {"right Ctrl (right grip)", [](KeyInput& t) { t.Tap(SDL_SCANCODE_RCTRL, SDLK_RCTRL); }, false},
    {"left Shift", [](KeyInput& t) { t.Tap(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT); }, false},
    {"F1", [](KeyInput& t) { t.Tap(SDL_SCANCODE_F1, SDLK_F1); }, false},
    {"F11 (full screen)", [](KeyInput& t) { t.Tap(SDL_SCANCODE_F11, SDLK_F11); }, false},
    {"Alt+Enter (full screen)",
     [](KeyInput& t) {
         t.Key(true, SDL_SCANCODE_RETURN, SDLK_RETURN, nullptr, KMOD_LALT);
         t.Key(false, SDL_SCANCODE_RETURN, SDLK_RETURN, nullptr, KMOD_LALT);
     },
     false},
    {"m (music)", [](KeyInput& t) { t.Tap(SDL_SCANCODE_M, SDLK_m, "m"); }, false},
    {"a", [](KeyInput& t) { t.Tap(SDL_SCANCODE_A, SDLK_a, "a"); }, false},
};

// Where each screen leads when it moves on.
Screen Next(Screen screen) { return screen == Screen::GameEnd ? Screen::Title : Screen::Playing; }

void LetGoOfEverything(KeyInput& t)
{
    for (SDL_Scancode position :
         {SDL_SCANCODE_RETURN, SDL_SCANCODE_UP, SDL_SCANCODE_RIGHT, SDL_SCANCODE_SPACE, SDL_SCANCODE_T}) {
        t.Up(position, SDLK_UNKNOWN);
    }
    t.Button(false);
    t.Frame();
}

TEST_F(KeyInput, WhatAdvancesTheScreens)
{
    StartAndShowTheTitle();
    for (Screen screen : {Screen::Title, Screen::LevelUp, Screen::Retry, Screen::GameEnd}) {
        for (const PressCase& c : kPresses) {
            SCOPED_TRACE(std::string(ScreenName(screen)) + ", " + c.name);
            Session.screen = screen;
            Session.levelCounter = 1;
            ASSERT_EQ(Frame(), LoopPass::RanFrame);  // the screen has been seen with nothing pressed
            ASSERT_EQ(Session.screen, screen);
            c.press(*this);
            ASSERT_EQ(Frame(), LoopPass::RanFrame);
            EXPECT_EQ(Session.screen, c.advances ? Next(screen) : screen);
            // The kept press was used up by that frame: a screen shown next waits.
            Session.screen = Screen::LevelUp;
            Frame();
            EXPECT_EQ(Session.screen, Screen::LevelUp) << "advanced twice";
            LetGoOfEverything(*this);
        }
    }
    SetMusicMuted(false);
    Session.screen = Screen::LevelUp;
    Frame();
    Tap(SDL_SCANCODE_W, SDLK_w, "w");
    Frame();
    EXPECT_EQ(Session.screen, Screen::Title) << "W goes to the title";
}

// A key or click that went down during play and is still held never skips the screen that
// follows, however long it repeats; a fresh press then does.
TEST_F(KeyInput, APressHeldFromPlayNeverSkipsAScreen)
{
    const struct {
        const char* name;
        SDL_Scancode position;  // SDL_SCANCODE_UNKNOWN: the mouse button
        SDL_Keycode shown;
    } held[] = {
        {"Space (left grip)", SDL_SCANCODE_SPACE, SDLK_SPACE},    {"Enter", SDL_SCANCODE_RETURN, SDLK_RETURN},
        {"right arrow", SDL_SCANCODE_RIGHT, SDLK_RIGHT},          {"right Ctrl", SDL_SCANCODE_RCTRL, SDLK_RCTRL},
        {"the mouse button", SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN},
    };
    StartAndShowTheTitle();
    for (Screen screen : {Screen::LevelUp, Screen::Retry, Screen::GameEnd}) {
        for (const auto& h : held) {
            SCOPED_TRACE(std::string(ScreenName(screen)) + ", " + h.name);
            // Into play as a player gets there, by a tap of Space on a level-up screen.
            Session.screen = Screen::LevelUp;
            Session.levelCounter = 0;
            Frame();
            Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
            Frame();
            ASSERT_EQ(Session.screen, Screen::Playing);
            const bool mouse = h.position == SDL_SCANCODE_UNKNOWN;
            mouse ? Button(true) : Down(h.position, h.shown);
            Frame();
            Session.screen = screen;  // the level ended in that frame
            for (int i = 0; i < 20; ++i) {
                if (!mouse) {
                    Repeat(h.position, h.shown);
                }
                Frame();
            }
            EXPECT_EQ(Session.screen, screen);
            mouse ? Button(false) : Up(h.position, h.shown);
            Frame();
            EXPECT_EQ(Session.screen, screen) << "letting go is no press";
            Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
            Frame();
            EXPECT_EQ(Session.screen, Next(screen));
            LetGoOfEverything(*this);
        }
    }
}

// Through the real loop: an arrow held as the creature reaches the goal.
TEST_F(KeyInput, AnArrowHeldAcrossTheLevelEndLeavesTheLevelUpScreenUntilSpace)
{
    StartAndShowTheTitle();
    Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
    Frame();
    ASSERT_EQ(Session.screen, Screen::Playing);
    Down(SDL_SCANCODE_RIGHT, SDLK_RIGHT);
    Frame();
    Creature.Reset();
    Creature.Place(Vector4{World.goalPoint.x, World.goalPoint.y - 2.0f, 0.0f, 1.0f});
    Repeat(SDL_SCANCODE_RIGHT, SDLK_RIGHT);
    Frame();
    ASSERT_EQ(Session.screen, Screen::LevelUp);
    ASSERT_EQ(Session.levelCounter, 1);
    for (int i = 0; i < 120; ++i) {
        Repeat(SDL_SCANCODE_RIGHT, SDLK_RIGHT);
        Frame();
    }
    EXPECT_EQ(Session.screen, Screen::LevelUp);
    Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
    Frame();
    EXPECT_EQ(Session.screen, Screen::Playing);
    EXPECT_EQ(Session.levelCounter, 1);
}

TEST_F(KeyInput, EscQuitsAndAClickHeldFromTheStartWaitsForItsRelease)
{
    ASSERT_EQ(Start(), S_OK);
    Button(true);  // down before the first frame
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Frame(), LoopPass::RanFrame);
    }
    EXPECT_EQ(Session.screen, Screen::Title);
    Button(false);
    Frame();
    EXPECT_EQ(Session.screen, Screen::Title) << "the release alone does not start";
    Button(true);
    Button(false);
    Frame();
    EXPECT_EQ(Session.screen, Screen::Playing);
    Down(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    EXPECT_EQ(Frame(), LoopPass::Quit);
}

// SDL virtual controllers plugged in and out while the game runs.
class HotPlug : public KeyInput {
public:
    void SetUp() override
    {
        KeyInput::SetUp();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    }

    void TearDown() override
    {
        Unplug();
        KeyInput::TearDown();
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    SDL_Joystick* Plug()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "late pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        EXPECT_NE(pad, nullptr) << SDL_GetError();
        return pad;
    }

    void Unplug()
    {
        if (pad != nullptr) {
            SDL_JoystickClose(pad);
            pad = nullptr;
        }
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) {
            if (SDL_JoystickIsVirtual(i)) {
                SDL_JoystickDetachVirtual(i);
            }
        }
    }

    // Frames until `seen` holds; -1 when not within 100.
    template <typename Seen>
    int FramesUntil(Seen seen)
    {
        for (int frame = 1; frame <= 100; ++frame) {
            Frame();
            if (seen()) {
                return frame;
            }
        }
        return -1;
    }

    SDL_Joystick* pad = nullptr;
};

TEST_F(HotPlug, APadPluggedInDuringPlaySteersAndOnePulledOutLeavesTheKeys)
{
    StartAndShowTheTitle();
    ASSERT_EQ(GamePad.device, nullptr);
    Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
    Frame();
    ASSERT_EQ(Session.screen, Screen::Playing);

    SDL_JoystickSetVirtualAxis(Plug(), SDL_CONTROLLER_AXIS_LEFTX, 32767);
    const int found = FramesUntil([] { return GamePad.state.lX == 1000; });
    EXPECT_GE(found, 1);
    EXPECT_LE(found, 32) << "taken up within thirty passes";
    Frame();
    EXPECT_FLOAT_EQ(Creature.leftSteer.x, 2.0f) << "the late pad steers";

    // Pulled out while pushed: the push ends, the keys steer alone.
    Unplug();
    Frame();
    EXPECT_EQ(GamePad.device, nullptr);
    EXPECT_EQ(GamePad.state.lX, 0);
    Down(SDL_SCANCODE_F, SDLK_f, "f");
    Frame();
    EXPECT_FLOAT_EQ(Creature.leftSteer.x, -2.0f);
    Up(SDL_SCANCODE_F, SDLK_f);
    Frame();
    EXPECT_FLOAT_EQ(Creature.leftSteer.x, 0.0f);

    SDL_JoystickSetVirtualAxis(Plug(), SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    EXPECT_GE(FramesUntil([] { return GamePad.state.lRx == 1000; }), 1) << "plugged in again, it is read";
    Frame();
    EXPECT_FLOAT_EQ(Creature.rightSteer.x, 2.0f);
    EXPECT_EQ(Session.screen, Screen::Playing);
}

TEST_F(HotPlug, ButtonAMovesAScreenOnOnlyWhenPressedWhileItIsShown)
{
    StartAndShowTheTitle();
    SDL_Joystick* joystick = Plug();
    ASSERT_GE(FramesUntil([] { return GamePad.device != nullptr; }), 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    EXPECT_GE(FramesUntil([] { return Session.screen == Screen::Playing; }), 1) << "A pressed on the title";
    Session.screen = Screen::LevelUp;  // the level ends with A still held
    for (int i = 0; i < 20; ++i) {
        Frame();
    }
    EXPECT_EQ(Session.screen, Screen::LevelUp) << "A held from play";
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_RELEASED);
    Frame();
    Frame();
    EXPECT_EQ(Session.screen, Screen::LevelUp) << "letting go is no press";
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    EXPECT_GE(FramesUntil([] { return Session.screen == Screen::Playing; }), 1) << "A pressed again";
}

// The bindings file in a private config folder.
class Bindings : public KeyInput {
protected:
    void SetUp() override
    {
#if defined(_WIN32)
        GTEST_SKIP() << "on Windows the folder is the system's application data, which no variable moves";
#endif
        KeyInput::SetUp();
        const char* old = std::getenv("XDG_CONFIG_HOME");
        saved = old != nullptr ? old : "";
        hadConfig = old != nullptr;
        setenv("XDG_CONFIG_HOME", (root / "config").string().c_str(), 1);
        std::filesystem::create_directories(root / "config/tarnwick");
    }
    void TearDown() override
    {
#if defined(_WIN32)
        return;
#endif
        if (hadConfig) {
            setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
        KeyInput::TearDown();
    }
    std::string saved;
    bool hadConfig = false;
};

TEST_F(Bindings, ABadLineIsNamedAndLeftOutAndABadFileGivesTheDefaults)
{
    const std::filesystem::path file = root / "config/tarnwick/keys.txt";
    KeyBindings upForTheGrip = DefaultKeyBindings();
    upForTheGrip.keys[static_cast<int>(KeyAction::LeftGrip)][0] = kKeyUp;
    upForTheGrip.keys[static_cast<int>(KeyAction::RightUp)][0] = 0;
    const struct {
        const char* name;
        const char* text;  // "folder", "fifo": that in the file's place
        std::string line;
        KeyBindings after;
    } cases[] = {
        {"unknown key", "left-foot-up = Nokey\n",
         file.string() + ": line 1: unknown key \"Nokey\"; that line is left out", DefaultKeyBindings()},
        {"one key twice", "left-grip = Up\nleft-foot-up = Up\n",
         file.string() + ": line 2: one key for both left-grip and left-foot-up; that line is left out", upForTheGrip},
        {"garbage", "# mine\n\x01\x02garbage\n", file.string() + ": line 2: expected \"ACTION = KEY\"",
         DefaultKeyBindings()},
        {"folder", "folder", file.string() + " is a folder, not a file", DefaultKeyBindings()},
        {"a pipe nobody writes (must not hang)", "fifo", file.string() + " is not a regular file",
         DefaultKeyBindings()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(file);
        if (std::string(c.text) == "folder") {
            std::filesystem::create_directories(file);
        } else if (std::string(c.text) == "fifo") {
            ASSERT_EQ(mkfifo(file.string().c_str(), 0600), 0);
        } else {
            std::ofstream(file) << c.text;
        }
        Input.keyBindings.keys[0][0] = 0;
        testing::internal::CaptureStderr();
        LoadKeyBindings();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.find("Tarnwick: " + c.line), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(Input.keyBindings, c.after);
    }
    // Many bad lines: a few named, the rest counted.
    std::filesystem::remove_all(file);
    std::ofstream(file) << std::string(40, '\n') + "x\ny\nz\nw\nv\n";
    testing::internal::CaptureStderr();
    LoadKeyBindings();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 4) << said;
    EXPECT_NE(said.find("2 more bad lines left out"), std::string::npos) << said;
}

// The most common wish: the left foot on W A S D. W then steers, and Backspace is the title.
TEST_F(Bindings, WASDSteersTheLeftFootAndBackspaceReturnsToTheTitle)
{
    std::ofstream(root / "config/tarnwick/keys.txt")
        << "left-foot-up = W\nleft-foot-left = A\nleft-foot-down = S\nleft-foot-right = D\nleft-grip = Nokey\n";
    testing::internal::CaptureStderr();
    LoadKeyBindings();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("line 5: unknown key \"Nokey\""), std::string::npos) << said;
    EXPECT_NE(SteeringKeysLine().find("left foot W A S D, grip Space"), std::string::npos) << SteeringKeysLine();
    StartAndShowTheTitle();
    Tap(SDL_SCANCODE_SPACE, SDLK_SPACE, " ");
    Frame();
    ASSERT_EQ(Session.screen, Screen::Playing);
    Down(SDL_SCANCODE_W, SDLK_w, "w");
    Down(SDL_SCANCODE_A, SDLK_a, "a");
    Frame();
    EXPECT_EQ(ReadSteering(), (SteeringInput{-1000, -1000, 0, 0, false, false}));
    EXPECT_EQ(Session.screen, Screen::Playing) << "W steers instead of going to the title";
    Up(SDL_SCANCODE_W, SDLK_w);
    Up(SDL_SCANCODE_A, SDLK_a);
    Tap(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    Frame();
    EXPECT_EQ(Session.screen, Screen::Title);
}

TEST_F(Bindings, AGoodFileSteersTheGameAndNoFileSaysNothing)
{
    std::ofstream(root / "config/tarnwick/keys.txt") << "# mine\nleft-foot-up = I\nleft-grip = Left Shift\n";
    LoadKeyBindings();
    StartAndShowTheTitle();
    Session.screen = Screen::Playing;
    Down(SDL_SCANCODE_I, SDLK_i, "i");
    Down(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
    Frame();
    EXPECT_EQ(ReadSteering(), (SteeringInput{0, -1000, 0, 0, true, false}));
    EXPECT_NE(ControlsLine(nullptr).find("left foot I F G H, grip Left Shift"), std::string::npos)
        << ControlsLine(nullptr);

    std::filesystem::remove(root / "config/tarnwick/keys.txt");
    testing::internal::CaptureStderr();
    LoadKeyBindings();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Input.keyBindings, DefaultKeyBindings());
}

// The defaults the player's readmes print, read as a keys file onto no bindings at all,
// are the game's defaults: a reader who copies them gets what the game had.
TEST(BindingsReadme, TheDefaultsPrintedAreTheGamesOwn)
{
    const std::regex binding(R"(^\s+((left|right)-[a-z-]+ = .*)$)");
    for (const char* readme : {"README.md", "packaging/windows/README.txt"}) {
        std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/" + readme);
        ASSERT_TRUE(in) << readme;
        std::string line;
        std::string file;
        std::smatch match;
        while (std::getline(in, line)) {
            if (std::regex_match(line, match, binding)) {
                file += match[1].str() + "\n";
            }
        }
        KeyBindings bindings{};
        std::vector<std::string> problems;
        EXPECT_TRUE(ParseKeyBindings(file, KeyPositionFromName, bindings, problems)) << readme << ": " << problems[0];
        EXPECT_EQ(bindings, DefaultKeyBindings()) << readme << ":\n" << file;
    }
}

}  // namespace
