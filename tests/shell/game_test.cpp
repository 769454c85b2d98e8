#include <functional>

#include "drawn_digits.h"
#include "game_fixture.h"
#include "shell/level_load.h"
#include "world/world.h"

namespace {

using Frame = GameFixture;

bool AtRest() { return Creature.alive && Creature.body != nullptr; }

// Puts the creature's reference point (two units above its body) on the goal.
void PlaceAtGoal()
{
    Creature.Reset();
    Creature.Place(Vector4{World.goalPoint.x, World.goalPoint.y - 2.0f, 0.0f, 1.0f});
}

struct StateRow {
    const char* name;
    Screen from;
    std::int32_t counter;
    std::function<void()> input;
    Screen to;
    std::int32_t counterAfter;
};

TEST_F(Frame, EveryRowOfTheStateTable)
{
    ASSERT_EQ(Start(), S_OK);
    const auto key = [] {
        Input.clickHeld = 0;
        Input.keyTapped = true;
    };
    const auto nothing = [] {};
    const StateRow rows[] = {
        {"title, key", Screen::Title, 3, key, Screen::Playing, 0},
        {"title, nothing", Screen::Title, 3, nothing, Screen::Title, 3},
        {"level-up, key", Screen::LevelUp, 2, key, Screen::Playing, 2},
        {"level-up, nothing", Screen::LevelUp, 2, nothing, Screen::LevelUp, 2},
        {"retry, button 1", Screen::Retry, 1, [] { GamePad.state.rgbButtons[1] = 0x80; }, Screen::Title, 1},
        {"retry, key", Screen::Retry, 1, key, Screen::Playing, 1},
        {"game end, key", Screen::GameEnd, 0, key, Screen::Title, 0},
        {"game end, nothing", Screen::GameEnd, 0, nothing, Screen::GameEnd, 0},
        {"any, counter past the last level", Screen::Playing, 8, nothing, Screen::GameEnd, 0},
        {"title, counter past the last level", Screen::Title, 9, key, Screen::Title, 0},
        {"playing, creature dead", Screen::Playing, 1, [] { Creature.alive = false; }, Screen::Retry, 1},
        {"playing, at the goal", Screen::Playing, 1, PlaceAtGoal, Screen::LevelUp, 2},
        {"unknown value plays", static_cast<Screen>(17), 1, [] { Creature.alive = false; }, Screen::Retry, 1},
    };
    for (const StateRow& row : rows) {
        SCOPED_TRACE(row.name);
        ResetShellState();
        StartLevel(0);
        Session.screen = row.from;
        Session.levelCounter = row.counter;
        row.input();
        RunFrame();
        EXPECT_EQ(Session.screen, row.to);
        EXPECT_EQ(Session.levelCounter, row.counterAfter);
    }
}

TEST_F(Frame, LeavingAScreenForPlayStartsTheLevelOfTheCounter)
{
    ASSERT_EQ(Start(), S_OK);
    Session.screen = Screen::LevelUp;
    Session.levelCounter = 2;
    Creature.Place(Vector4{40.0f, 40.0f, 0.0f, 1.0f});
    PressKey();
    RunFrame();
    ASSERT_EQ(Session.screen, Screen::Playing);
    // StartLevel put the creature on the level's start: the body lands there.
    EXPECT_NEAR(Creature.GetPosition().x, World.startPoint.x, 1e-4f);
    // The pictures and the eight maps checked at start-up, then the two levels loaded.
    EXPECT_EQ(recorder.Count("D3DXCreateTextureFromFileW"), static_cast<std::size_t>(kTextureFileCount) + 8u + 2u);
}

TEST_F(Frame, ScreensHoldTheCreatureAtRestBelowTheLevel)
{
    ASSERT_EQ(Start(), S_OK);
    for (Screen screen : {Screen::Title, Screen::LevelUp, Screen::Retry}) {
        Session.screen = screen;
        Creature.alive = false;
        RunFrame();
        EXPECT_TRUE(AtRest()) << static_cast<int>(screen);
        EXPECT_FLOAT_EQ(Creature.body->position.y, -6.0f) << static_cast<int>(screen);
    }
}

// Each screen's picture is a lone quad, not joined to the sky's strip: five vertices, the
// size the graphics layer draws round the pointer's focus.
TEST_F(Frame, ScreenPicturesAreLoneQuads)
{
    ASSERT_EQ(Start(), S_OK);
    for (Screen screen : {Screen::Title, Screen::LevelUp, Screen::Retry, Screen::GameEnd}) {
        Session.screen = screen;
        recorder.ClearCalls();
        RunFrame();
        const auto draws = recorder.Find("DrawPrimitive");
        // The level-up picture has the level's time and best drawn after it.
        const std::size_t after = screen == Screen::LevelUp ? 2 : 0;
        ASSERT_GE(draws.size(), 2u + after) << static_cast<int>(screen);
        const GfxCall* picture = draws[draws.size() - 1 - after];
        EXPECT_EQ(picture->Int(2), 3) << static_cast<int>(screen);
        EXPECT_EQ(picture->vertices.size(), 5u) << static_cast<int>(screen);
    }
}

// A screen holding still is drawn once and copied after that; anything that moves on it, or
// a copy that fails, has the frame drawn again.
TEST_F(Frame, AStillScreenIsCopiedUntilSomethingOnItChanges)
{
    ASSERT_EQ(Start(), S_OK);
    struct Case {
        const char* name;
        Screen screen;
        std::function<void()> change;
        bool copied;
    };
    const Case cases[] = {
        {"title, nothing changed", Screen::Title, [] {}, true},
        {"game end, nothing changed", Screen::GameEnd, [] {}, true},
        {"level-up, the pointer moved", Screen::LevelUp, [] { Session.pointerX += 0.01f; }, false},
        {"retry, drops thrown", Screen::Retry, [] { Drops.bursts[3].active = true; }, false},
        {"retry, the copy refused", Screen::Retry, [this] { recorder.FailCall("StretchRect", E_FAIL, 1); }, false},
    };
    const auto drew = [this] { return recorder.Count("DrawPrimitive") != 0; };
    for (const Case& c : cases) {
        Session.screen = c.screen;
        Drops.Reset();
        // The camera glides to the creature held at rest; the frames are the same once it is there.
        int frames = 0;
        do {
            recorder.ClearCalls();
            RunFrame();
        } while (drew() && ++frames < 2000);
        ASSERT_FALSE(drew()) << c.name;
        EXPECT_EQ(recorder.Count("StretchRect"), 1u) << c.name;
        c.change();
        recorder.ClearCalls();
        RunFrame();
        EXPECT_EQ(!drew(), c.copied) << c.name;
        EXPECT_EQ(Session.screen, c.screen) << c.name;
    }
}

// A changed screen is drawn, then drawn and kept, then copied: the first frame after a change
// makes no copy (the first copy builds the GPU's copy path, which would delay start-up).
TEST_F(Frame, AStillScreenIsKeptFromItsSecondFrame)
{
    ASSERT_EQ(Start(), S_OK);
    Session.screen = Screen::LevelUp;
    for (int i = 0; i < 2000 && !(i > 0 && recorder.Count("DrawPrimitive") == 0); ++i) {
        recorder.ClearCalls();
        RunFrame();
    }
    Session.pointerY += 0.01f;
    const std::size_t draws[3] = {1, 1, 0};
    const std::size_t copies[3] = {0, 1, 1};
    for (int frame = 0; frame < 3; ++frame) {
        recorder.ClearCalls();
        RunFrame();
        EXPECT_EQ(recorder.Count("DrawPrimitive") != 0, draws[frame] != 0) << frame;
        EXPECT_EQ(recorder.Count("StretchRect"), copies[frame]) << frame;
    }
}

// Without a texture to keep it in, a still screen is drawn every frame, and the texture is
// asked for once.
TEST_F(Frame, AStillScreenWithoutItsTextureIsDrawnEveryFrame)
{
    ASSERT_EQ(Start(), S_OK);
    recorder.FailCall("IDirect3DDevice9::CreateTexture", D3DERR_OUTOFVIDEOMEMORY);
    Session.screen = Screen::LevelUp;
    std::size_t framesDrawn = 0;
    std::size_t asked = 0;
    std::size_t copies = 0;
    for (int i = 0; i < 1000; ++i) {
        recorder.ClearCalls();
        RunFrame();
        framesDrawn += recorder.Count("DrawPrimitive") != 0 ? 1 : 0;
        asked += recorder.Count("CreateTexture");
        copies += recorder.Count("StretchRect");
    }
    EXPECT_EQ(framesDrawn, 1000u);
    EXPECT_EQ(asked, 1u);
    EXPECT_EQ(copies, 0u);
}

TEST_F(Frame, AClickHeldFromTheStartCountsOnlyAfterARelease)
{
    ASSERT_EQ(Start(), S_OK);
    Input.clickHeld = 1;
    for (int i = 0; i < 3; ++i) {
        RunFrame();
    }
    EXPECT_EQ(Session.screen, Screen::Title);
    // A key does not count while the button is down.
    Input.keyTapped = true;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Title);
    ForgetTaps();
    Input.clickHeld = 0;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Title);
    EXPECT_TRUE(Session.clickArmed);
    Input.clickHeld = 1;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Playing);
    EXPECT_FALSE(Session.clickArmed);
}

TEST_F(Frame, RetryWithButtonOneAloneOrWithAClick)
{
    StartPlaying();
    Session.screen = Screen::Retry;
    Session.levelCounter = 3;
    GamePad.state.rgbButtons[1] = 0x80;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Title);

    Session.screen = Screen::Retry;
    Input.clickHeld = 0;
    RunFrame();  // button 1 still down: back to the title, and the click is armed
    Session.screen = Screen::Retry;
    Input.clickHeld = 1;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Playing) << "a click overrides button 1 and restarts the lost level";
    EXPECT_EQ(Session.levelCounter, 3);

    // An unarmed click does nothing at all, button 1 included.
    Session.screen = Screen::Retry;
    Session.clickArmed = false;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Retry);
}

TEST_F(Frame, TheGoalReachedInTheFrameThatFoundTheCreatureDeadCompletesTheLevel)
{
    StartPlaying();
    PlaceAtGoal();
    Creature.alive = false;
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::LevelUp);
    EXPECT_EQ(Session.levelCounter, 1);
}

TEST_F(Frame, AfterTheEighthGoalTheNextFrameShowsTheGameEnd)
{
    StartPlaying();
    Session.levelCounter = 7;
    PlaceAtGoal();
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::LevelUp);
    EXPECT_EQ(Session.levelCounter, 8);
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::GameEnd);
    EXPECT_EQ(Session.levelCounter, 0);
    PressKey();
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Title);
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Playing) << "the next start begins again at the first level";
    EXPECT_EQ(Session.levelCounter, 0);
}

TEST_F(Frame, TheNumberUnderTheArrowIsTheLevelBeingPlayed)
{
    ASSERT_EQ(Start(), S_OK);
    for (std::int32_t level = 0; level < kLevelCount; ++level) {
        SCOPED_TRACE(level);
        ASSERT_EQ(StartLevel(level), S_OK);
        Session.screen = Screen::Playing;
        Session.levelCounter = level;
        recorder.ClearCalls();
        RunFrame();
        EXPECT_EQ(DrawnNumbers(recorder), std::vector<std::string>{std::to_string(level + 1)});
    }
}

// Frames run at 60 a second: 150 frames are 2.5 s; the best is the fewest frames so far.
TEST_F(Frame, TheLevelUpPictureShowsTheLevelsTimeAndItsBest)
{
    const struct {
        std::int32_t frames;
        const char* time;
        const char* best;
    } runs[] = {{150, "2.5", "2.5"}, {301, "5.0", "2.5"}, {62, "1.0", "1.0"}, {5, "0.0", "0.0"}};
    StartPlaying();
    for (const auto& run : runs) {
        SCOPED_TRACE(run.frames);
        for (std::int32_t f = 1; f < run.frames; ++f) {
            Creature.Reset();
            Creature.Place(World.startPoint);
            RunFrame();
        }
        ASSERT_EQ(Session.screen, Screen::Playing);
        PlaceAtGoal();
        RunFrame();
        ASSERT_EQ(Session.screen, Screen::LevelUp);
        EXPECT_EQ(Session.finishedFrames, run.frames);
        recorder.ClearCalls();
        RunFrame();
        EXPECT_EQ(DrawnNumbers(recorder), (std::vector<std::string>{run.time, run.best}));
        // Level 1 again, through its level-up screen.
        Session.levelCounter = 0;
        PressKey();
        RunFrame();
        ForgetTaps();
        Input.keyPressed = false;
        ASSERT_EQ(Session.screen, Screen::Playing);
    }
}

struct RampCase {
    std::int32_t rawY;
    int frame;
    float steerY;
};

TEST_F(Frame, StickRampsReachTheCreatureThroughTheFrame)
{
    StartPlaying();
    GamePad.state.lY = -1000;
    GamePad.state.lRy = -1000;
    const RampCase cases[] = {
        {-1000, 1, 2.0f}, {-1000, 50, 2.0f}, {-1000, 51, 3.36f}, {-1000, 150, 6.0f}, {-1000, 200, 6.0f}};
    int frame = 0;
    for (const RampCase& c : cases) {
        while (frame < c.frame) {
            Creature.alive = true;
            Session.screen = Screen::Playing;
            RunFrame();
            ++frame;
        }
        EXPECT_NEAR(Creature.leftSteer.y, c.steerY, 1e-5f) << "frame " << c.frame;
        EXPECT_NEAR(Creature.rightSteer.y, c.steerY, 1e-5f) << "frame " << c.frame;
    }
    EXPECT_EQ(Session.stickRamps.left, 150);
    EXPECT_EQ(Session.stickRamps.right, 150);
}

TEST_F(Frame, QuarterTravelIsTheRampThreshold)
{
    StartPlaying();
    for (std::int32_t raw : {-250, -251}) {
        GamePad.state.lY = raw;
        Session.stickRamps.left = 0;
        for (int i = 0; i < 60; ++i) {
            Creature.alive = true;
            Session.screen = Screen::Playing;
            RunFrame();
        }
        EXPECT_EQ(Session.stickRamps.left, raw == -250 ? 0 : 60) << raw;
    }
}

TEST_F(Frame, GripButtonsTripleAtOnceAndGrip)
{
    StartPlaying();
    GamePad.state.lY = -500;
    GamePad.state.lX = -500;
    GamePad.state.rgbButtons[4] = 0x80;
    RunFrame();
    EXPECT_FLOAT_EQ(Creature.leftSteer.y, 3.0f);
    EXPECT_FLOAT_EQ(Creature.leftSteer.x, -1.5f);
    EXPECT_FLOAT_EQ(Creature.leftSteer.w, 0.0f);
    EXPECT_TRUE(Creature.leftGripHeld);
    EXPECT_FALSE(Creature.rightGripHeld);
    EXPECT_EQ(Session.stickRamps.left, 150);
}

TEST_F(Frame, WithoutAControllerTheCreatureOnlyHangsAndStands)
{
    StartPlaying();
    ASSERT_EQ(GamePad.device, nullptr);
    for (int i = 0; i < 5; ++i) {
        RunFrame();
    }
    // A centred stick steers (0, 0, 0, 1): the creature's idle pull.
    EXPECT_FLOAT_EQ(Creature.leftSteer.x, 0.0f);
    EXPECT_FLOAT_EQ(Creature.leftSteer.y, -0.3f);
    EXPECT_FLOAT_EQ(Creature.rightSteer.y, -0.3f);
    EXPECT_EQ(Session.stickRamps.left, 0);
}

TEST_F(Frame, AFailedBeginSceneSkipsTheFrameButPresents)
{
    ASSERT_EQ(Start(), S_OK);
    PressKey();
    recorder.ClearCalls();
    recorder.FailCall("BeginScene", D3DERR_INVALIDCALL, 1);
    RunFrame();
    EXPECT_EQ(Session.screen, Screen::Title);
    EXPECT_EQ(recorder.Count("EndScene"), 0u);
    EXPECT_EQ(recorder.Count("DrawPrimitive"), 0u);
    EXPECT_EQ(recorder.Count("Present"), 1u);
}

TEST_F(Frame, PlayingFrameSetsTheEffectAndLeavesDepthOff)
{
    StartPlaying();
    Session.pointerX = 0.25f;
    Session.pointerY = -0.5f;
    recorder.ClearCalls();
    RunFrame();
    const auto names = recorder.CallNames();
    ASSERT_GE(names.size(), 4u);
    // One clear, of the colour only: the device has no depth buffer.
    EXPECT_EQ(names[0], "Clear");
    EXPECT_EQ(recorder.Find("Clear")[0]->Int(2), D3DCLEAR_TARGET);
    EXPECT_EQ(names[1], "BeginScene");
    EXPECT_EQ(names.back(), "Present");
    bool distortionX = false;
    bool distortionY = false;
    for (const GfxCall* call : recorder.Find("ID3DXEffect::SetFloat")) {
        distortionX |= call->Text(0) == "DistortionPosx" && call->Float(1) == 0.25f;
        distortionY |= call->Text(0) == "DistortionPosy" && call->Float(1) == 0.5f;
    }
    EXPECT_TRUE(distortionX);
    EXPECT_TRUE(distortionY);
    const auto states = recorder.Find("SetRenderState");
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[states.size() - 2]->Int(0), D3DRS_ZWRITEENABLE);
    EXPECT_EQ(states[states.size() - 2]->Int(1), 0);
    EXPECT_EQ(states.back()->Int(0), D3DRS_ZFUNC);
    EXPECT_EQ(states.back()->Int(1), D3DCMP_ALWAYS);
}

}  // namespace
