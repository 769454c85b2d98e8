#pragma once

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "render/scene_state.h"
#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "platform/gfx/recording.h"
#include "platform/window/window.h"
#include "shell/controller.h"
#include "shell/device_setup.h"
#include "shell/game_state.h"
#include "shell/input_state.h"
#include "shell/key_input.h"
#include "shell/message_loop.h"
#include "sound/music.h"
#include "support/temp_folder.h"
#include "test_assets.h"

// The game started for real (window, music, controller, device, level 0) on the recording
// backend, in a private data folder that is also the working folder.
class GameFixture : public ::testing::Test {
protected:
    GfxRecorder recorder;
    FilesHook files;
    TempFolder folder{"tarnwick-game"};
    std::filesystem::path root = folder.Path();
    HWND window = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(folder.Enter());
        std::string error;
        ASSERT_TRUE(WriteTestAssets(root.string(), error)) << error;
        std::filesystem::create_directories(root / "bin");
        files.modulePath = (root / "bin/tarnwick").string();
        GfxUseRecordingBackend(&recorder);
        ResetShellState();
    }

    void TearDown() override
    {
        EndGame();
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        UnregisterClassW(kWindowClassName, GetModuleHandleW(nullptr));
        GamePad.Reset();
        Audio.Reset();
        GfxUseRecordingBackend(nullptr);
        EXPECT_EQ(recorder.LiveObjects(), 0);
        ResetShellState();
    }

    static void ResetShellState()
    {
        Session.Reset();
        ResetKeyInput();
        Startup.Reset();
        GamePad.Reset();
        Drops.Reset();
        Scene.Reset();
    }

    HRESULT Start() { return StartGame(window); }

    // Space pressed and held, as the loop leaves it for the next frame.
    void PressKey()
    {
        Input.clickHeld = 0;
        Input.keyPressed = true;
        Input.keyTapped = true;
    }

    // From the title into the first level, as a key press does it.
    void StartPlaying()
    {
        ASSERT_EQ(Start(), S_OK);
        PressKey();
        RunFrame();
        ForgetTaps();
        Input.keyPressed = false;
        ASSERT_EQ(Session.screen, Screen::Playing);
    }
};
