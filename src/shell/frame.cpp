#include <algorithm>

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "math/random.h"
#include "math/vector.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "render/camera.h"
#include "render/draw_batch.h"
#include "render/number_display.h"
#include "render/screen_pictures.h"
#include "render/still_screen.h"
#include "render/texture_index.h"
#include "shell/controller.h"
#include "shell/game_state.h"
#include "render/gpu/graphics_objects.h"
#include "shell/input_state.h"
#include "shell/key_input.h"
#include "shell/level_load.h"
#include "shell/playing_step.h"
#include "shell/progress_file.h"
#include "world/world.h"

GameSession Session;

namespace {

constexpr int kDiscardedRandoms = 300;
constexpr D3DCOLOR kOpaqueBlack = 0xFF000000;
constexpr float kMagicValue = 0.059328f;
constexpr float kScreenHalfSize = 2.0f;
const Vector4 kRestPoint{0.0f, -6.0f, 0.0f, 1.0f};
// Where the level-up picture leaves room for the time and the best: the numbers' right ends
// from the camera, in the level's plane like the number in play (the picture, 2 from the
// eye, spans 16 units there).
constexpr float kTimeX = -2.4f;
constexpr float kBestX = 5.6f;
constexpr float kTimesY = -4.5f;
constexpr float kTimeDigitSize = 0.5f;

ScreenPresses PressesNow()
{
    ScreenPresses p;
    p.clickHeld = Input.clickHeld != 0;
    p.clickTapped = Input.clickTapped;
    p.keyTapped = Input.keyTapped;
    p.buttonTapped = Input.buttonTapped;
    p.chosenLevel = Input.levelKey;
    p.backButton = ControllerButton(1);
    return p;
}

// A map that became unusable since start-up (changed on disk) is never played, nor its
// level counted as done: the loader has named it, and the game goes back to the title.

void EnterLevel(std::int32_t levelIndex)
{
    StartLevel(levelIndex);
    if (LevelMapRefused()) {
        Session.screen = Screen::Title;
        Session.titleWaitsForRelease = true;
    }
}

void HoldCreatureAtRest()
{
    Creature.Reset();
    Creature.Place(kRestPoint);
}

// A screen's quad in a batch of its own, with no joint to the sky's strip before it: a lone
// quad (five vertices), which the graphics layer draws with the full shader only round the
// pointer, sparing most of the screen.
void StartPictureBatch(const Vector4& screenPoint)
{
    ResetBatch();
    ClearBatchRestart();
    AddScreenQuad(screenPoint, kScreenHalfSize);
}

// A screen whose frame was copied from the kept one draws nothing itself.
void DrawPicture(const Vector4* screenPoint, int textureIndex)
{
    if (screenPoint != nullptr) {
        StartPictureBatch(*screenPoint);
        DrawScreenPicture(textureIndex);
    }
}

// The screen's rule, then what it asks for: a new game or a level.
void StepScreenNow()
{
    switch (StepScreen(Session, PressesNow())) {
    case ScreenChange::NewGame:
        ResetGame();
        EnterLevel(Session.levelCounter);
        break;
    case ScreenChange::EnterLevel: EnterLevel(Session.levelCounter); break;
    case ScreenChange::None: break;
    }
}

void TitleScreen(const Vector4* screenPoint)
{
    DrawPicture(screenPoint, kTexTitle);
    HoldCreatureAtRest();
    if (Session.titleWaitsForRelease) {
        Session.titleWaitsForRelease = Input.keyPressed || Input.clickHeld != 0;
        return;
    }
    StepScreenNow();
}

// Before the levels that bring a new move the picture carries a tip teaching it: stepping up
// (level 2), gripping to climb (level 3), swinging (level 4).
int LevelUpPicture(std::int32_t nextLevel)
{
    switch (nextLevel) {
    case 1: return kTexLevelUpStep;
    case 2: return kTexLevelUpClimb;
    case 3: return kTexLevelUpSwing;
    default: return kTexLevelUp;
    }
}

// The time the level took and its best, in seconds and tenths, below the picture's lines.
void DrawLevelTimes(const Vector4& screenPoint)
{
    const std::int32_t level = Session.levelCounter - 1;
    const std::int32_t best = level >= 0 && level < kLevelCount ? Session.bestFrames[level] : 0;
    const float y = screenPoint.y + kTimesY;
    DrawTenths(Session.finishedFrames / kFramesPerTenth, Vector4{screenPoint.x + kTimeX, y, 0.0f, screenPoint.w},
               kTimeDigitSize);
    DrawTenths(best / kFramesPerTenth, Vector4{screenPoint.x + kBestX, y, 0.0f, screenPoint.w}, kTimeDigitSize);
}

void LevelUpScreen(const Vector4* screenPoint)
{
    HoldCreatureAtRest();
    DrawPicture(screenPoint, LevelUpPicture(Session.levelCounter));
    if (screenPoint != nullptr) {
        DrawLevelTimes(*screenPoint);
    }
    StepScreenNow();
}

void RetryScreen(const Vector4* screenPoint)
{
    HoldCreatureAtRest();
    DrawPicture(screenPoint, kTexRetry);
    StepScreenNow();
}

void GameEndScreen(const Vector4* screenPoint)
{
    if (screenPoint != nullptr) {
        StartPictureBatch(*screenPoint);
        DrawBatchAdditive(kTexGameEnd);
        DrawScreenPicture(kTexGameEnd);
    }
    Creature.Reset();
    StepScreenNow();
}

void PlayingLogic()
{
    // The controller and the keys; with no key held, exactly the controller.
    const std::int32_t level = Session.levelCounter;
    AfterPlayingStep(Session, PlayingStep(Creature, World, ReadSteering(), Session.stickRamps, true));
    if (Session.levelCounter != level) {
        SaveProgress();
    }
}

void PlayingFrame()
{
    const std::int32_t level = Session.levelCounter;
    DrawGoalArrow();
    PlayingLogic();
    Creature.Draw();
    World.Draw();
    ResetBatch();
    ClearBatchRestart();
    // The level being played, under the goal arrow.
    const float width = NumberWidth(level + 1, 0.5f);
    const Vector4 origin{Scene.cameraPoint.x + 0.5f * width + 0.5f, Scene.cameraPoint.y + 4.0f, 0.0f,
                         Scene.cameraPoint.w};
    DrawNumber(level + 1, origin, 0.5f);
    Gpu.device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Gpu.device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
}

void SetFrameParameters()
{
    Gpu.effect->SetFloat("MagicValue", kMagicValue);
    const D3DXVECTOR4 light{0.0f, 0.0f, 0.0f, 0.0f};
    Gpu.effect->SetVector("LightPosition", &light);
    Gpu.effect->SetFloat("DistortionPosy", -Session.pointerY);
    Gpu.effect->SetFloat("DistortionPosx", Session.pointerX);
    Gpu.worldLightingTechnique = Gpu.effect->GetTechniqueByName("WorldLighting");
    Gpu.screenPictureTechnique = Gpu.effect->GetTechniqueByName("ScreenPicture");
    if (Gpu.screenPictureTechnique == nullptr) {
        Gpu.screenPictureTechnique = Gpu.worldLightingTechnique;
    }
}

// The picture of a screen that can hold still; -1 in play.
int StillPicture(Screen screen)
{
    switch (screen) {
    case Screen::Title: return kTexTitle;
    case Screen::LevelUp: return LevelUpPicture(Session.levelCounter);
    case Screen::Retry: return kTexRetry;
    case Screen::GameEnd: return kTexGameEnd;
    default: return -1;
    }
}

bool AnyDrops()
{
    for (const CDropBurst& burst : Drops.bursts) {
        if (burst.active) {
            return true;
        }
    }
    return false;
}

}  // namespace

void DiscardStartupRandoms()
{
    for (int i = 0; i < kDiscardedRandoms; ++i) {
        Rand();
    }
}

void ResetGame() { DiscardStartupRandoms(); }

void RunFrame()
{
    if (Session.screen == Screen::Title) {
        Session.pointerX = 0.0f;
        Session.pointerY = 0.0f;
    }
    // The device has no depth buffer to clear (see FillPresentation).
    Gpu.device->Clear(0, nullptr, D3DCLEAR_TARGET, kOpaqueBlack, 1.0f, 0);
    if (SUCCEEDED(Gpu.device->BeginScene())) {
        Gpu.device->SetStreamSource(0, Gpu.sharedVertexBuffer, 0, kVertexStride);
        UpdateCamera();
        SetFrameParameters();
        Gpu.device->SetFVF(kVertexFvf);
        Gpu.device->SetStreamSource(0, Gpu.sharedVertexBuffer, 0, kVertexStride);
        const Vector4 screenPoint{Scene.cameraPoint.x, Scene.cameraPoint.y, Scene.cameraPoint.z + 2.0f,
                                  Scene.cameraPoint.w};
        for (CDropBurst& burst : Drops.bursts) {
            burst.Update();
        }
        CheckGameEnd(Session);
        // A screen with nothing moving on it shows the frame kept from before, if it is the same.
        const int still = AnyDrops() ? -1 : StillPicture(Session.screen);
        StillScreenKey key = still >= 0 ? StillScreenNow(still, Session.pointerX, Session.pointerY) : StillScreenKey{};
        if (Session.screen == Screen::LevelUp) {
            key.shown[0] = Session.finishedFrames;
            key.shown[1] = Session.bestFrames[std::clamp(Session.levelCounter - 1, 0, kLevelCount - 1)];
        }
        const bool copied = still >= 0 && ShowStillScreen(key);
        const Vector4* drawAt = copied ? nullptr : &screenPoint;
        ResetBatch();
        if (!copied) {
            DrawSky();
            for (CDropBurst& burst : Drops.bursts) {
                burst.Draw();
            }
        }
        switch (Session.screen) {
        case Screen::Title: TitleScreen(drawAt); break;
        case Screen::LevelUp: LevelUpScreen(drawAt); break;
        case Screen::Retry: RetryScreen(drawAt); break;
        case Screen::GameEnd: GameEndScreen(drawAt); break;
        default: PlayingFrame(); break;
        }
        if (still >= 0 && !copied) {
            KeepStillScreen(key);
        }
        Gpu.device->EndScene();
    }
    Gpu.device->Present(nullptr, nullptr, nullptr, nullptr);
}
