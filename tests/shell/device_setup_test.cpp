#include "game_fixture.h"
#include "render/gpu/graphics_objects.h"
#include "shell/level_load.h"
#include "shell/media_search.h"
#include "world/world.h"

namespace {

using DeviceSetup = GameFixture;

struct StoppingStep {
    const char* call;  // the call made to fail
    int skip;          // matching calls that succeed first
    HRESULT injected;
    HRESULT expected;  // what SetupDevice returns
    const char* what;  // the start of the reported reason
};

// Every step that stops set-up, failed in turn.
TEST_F(DeviceSetup, EachStoppingStepEndsSetUpWithItsResultAndNothingAfterIt)
{
    constexpr HRESULT kFault = MakeHresult(0x8876017Cu);  // out of video memory
    const StoppingStep steps[] = {
        {"Direct3DCreate9", 0, kFault, E_FAIL, "no OpenGL"},
        {"IDirect3D9::CreateDevice", 0, kFault, E_FAIL, "the graphics device"},
        {"D3DXCreateTexture", 0, kFault, kFault, "the scene render target"},
        {"D3DXCreateTexture", 1, kFault, kFault, "the 64 x 64 colour"},
        {"D3DXCreateTexture", 2, kFault, kFault, "the 64 x 64 float"},
        {"GetSurfaceLevel", 0, kFault, kFault, "a render target's surface"},
        {"GetSurfaceLevel", 2, kFault, kFault, "a render target's surface"},
        {"SetRenderTarget", 0, kFault, kFault, "the colour render target"},
        {"SetRenderTarget", 2, kFault, kFault, "the scene render target could not be selected"},
        {"IDirect3DDevice9::Clear", 2, kFault, kFault, "the scene render target could not be cleared"},
        {"SetRenderTarget", 3, kFault, kFault, "the back buffer"},
        {"D3DXCreateEffectFromFileW", 0, D3DXERR_INVALIDDATA, D3DXERR_INVALIDDATA, "data/myshader.fx could not"},
        {"ID3DXEffect::SetTexture", 0, kFault, kFault, "the effect has no parameter RenderTargetTexture"},
        {"ID3DXEffect::SetFloat", 0, kFault, kFault, "the effect has no parameter RenderTargetWidth"},
        {"ID3DXEffect::SetFloat", 1, kFault, kFault, "the effect has no parameter RenderTargetHeight"},
        {"D3DXCreateTextureFromFileW", 0, D3DXERR_INVALIDDATA, D3DXERR_INVALIDDATA, "data/Leg.tga could not"},
        {"D3DXCreateTextureFromFileW", 16, kFault, kFault, "data/retry.tga could not"},
    };
    for (const StoppingStep& step : steps) {
        SCOPED_TRACE(std::string(step.call) + " after " + std::to_string(step.skip));
        recorder.ClearCalls();
        recorder.ClearFailures();
        recorder.FailCall(step.call, step.injected, 1, step.skip);
        const HRESULT hr = Start();
        EXPECT_EQ(hr, step.expected);
        EXPECT_EQ(Startup.lastFailure.result, step.expected);
        EXPECT_EQ(std::string(Startup.lastFailure.what).rfind(step.what, 0), 0u) << Startup.lastFailure.what;
        ASSERT_FALSE(recorder.Calls().empty());
        // The failed call is the last one made: no later step ran.
        const GfxCall& last = recorder.Calls().back();
        EXPECT_NE(last.name.find(step.call), std::string::npos) << last.name;
        EXPECT_EQ(last.result, step.injected);
        EXPECT_EQ(Gpu.sharedVertexBuffer, nullptr);
        EXPECT_EQ(Gpu.mapTexture, nullptr);
        EndGame();
        DestroyWindow(window);  // the window table is small: each start makes a window
        GamePad.Reset();
        EXPECT_EQ(recorder.LiveObjects(), 0);
        const std::size_t calls = recorder.Calls().size();
        Shutdown();
        EXPECT_EQ(recorder.Calls().size(), calls);
    }
}

TEST_F(DeviceSetup, AMissingFileStopsAtThatFileWithTheSearchResult)
{
    for (const char* file : {"data/myshader.fx", "data/sky.tga", "data/retry.tga"}) {
        SCOPED_TRACE(file);
        std::filesystem::rename(root / file, root / "moved");
        recorder.ClearCalls();
        EXPECT_EQ(Start(), kMediaNotFound);
        EXPECT_EQ(std::string(Startup.lastFailure.what), std::string(file) + " not found");
        EndGame();
        DestroyWindow(window);  // the window table is small: each start makes a window
        GamePad.Reset();
        EXPECT_EQ(recorder.LiveObjects(), 0);
        std::filesystem::rename(root / "moved", root / file);
    }
}

TEST_F(DeviceSetup, ASuccessfulSetUpMakesEverythingInOrder)
{
    ASSERT_EQ(Start(), S_OK);
    const auto created = recorder.Find("IDirect3D9::CreateDevice");
    ASSERT_EQ(created.size(), 1u);
    const auto loads = recorder.Find("D3DXCreateTextureFromFileW");
    ASSERT_EQ(loads.size(), static_cast<std::size_t>(kTextureFileCount + 9))
        << "the pictures, every level's map checked, the first map";
    for (int i = 0; i < kTextureFileCount; ++i) {
        const std::string& path = loads[static_cast<std::size_t>(i)]->Text(0);
        EXPECT_EQ(path.substr(path.size() - std::strlen(kTextureFiles[i].file)), kTextureFiles[i].file);
        EXPECT_NE(*kTextureFiles[i].texture, nullptr);
    }
    for (int level = 0; level < kLevelCount; ++level) {
        const std::string& path = loads[static_cast<std::size_t>(kTextureFileCount + level)]->Text(0);
        EXPECT_NE(path.find(LevelMapName(level)), std::string::npos) << path;
    }
    EXPECT_NE(loads.back()->Text(0).find("data/map1.tga"), std::string::npos);
    float width = 0.0f;
    float height = 0.0f;
    for (const GfxCall* call : recorder.Find("ID3DXEffect::SetFloat")) {
        if (call->Text(0) == "RenderTargetWidth") width = call->Float(1);
        if (call->Text(0) == "RenderTargetHeight") height = call->Float(1);
    }
    EXPECT_EQ(width, 640.0f);
    EXPECT_EQ(height, 480.0f);
    EXPECT_EQ(recorder.Count("SetTextureStageState"), 4u);
    EXPECT_NE(Gpu.worldViewProjectionParam, nullptr);
    EXPECT_NE(Gpu.sharedVertexBuffer, nullptr);
    EXPECT_NE(World.vertexBuffer, nullptr);
    EXPECT_EQ(Input.pointerSpan.width, 635.0f);
    EXPECT_EQ(Session.screen, Screen::Title);

    recorder.ClearCalls();
    Shutdown();
    EXPECT_EQ(recorder.LiveObjects(), 0);
    const auto names = recorder.CallNames();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(recorder.Calls().front().name, "IDirect3DVertexBuffer9::Release") << "the shared buffer first";
    EXPECT_EQ(recorder.Calls().back().name, "IDirect3D9::Release") << "the device and Direct3D last";
    const std::size_t calls = recorder.Calls().size();
    Shutdown();
    EXPECT_EQ(recorder.Calls().size(), calls);
}

TEST_F(DeviceSetup, TheFullScreenBuildPresentsAtTheDesktopSize)
{
    Startup.fullScreenPresentation = true;
    ASSERT_EQ(Start(), S_OK);
    EXPECT_EQ(Input.pointerSpan.width, 1152.0f);
    EXPECT_EQ(Input.pointerSpan.height, 864.0f);
    DEVMODEW desktop{};
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &desktop));
    float width = 0.0f;
    for (const GfxCall* call : recorder.Find("ID3DXEffect::SetFloat")) {
        if (call->Text(0) == "RenderTargetWidth") width = call->Float(1);
    }
    EXPECT_EQ(width, static_cast<float>(desktop.dmPelsWidth));
    // The back buffer is the 4:3 picture between the bars, not the whole desktop.
    D3DSURFACE_DESC back{};
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(Gpu.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface), S_OK);
    surface->GetDesc(&back);
    surface->Release();
    const PictureSize picture = FullScreenPicture(desktop.dmPelsWidth, desktop.dmPelsHeight);
    EXPECT_EQ(back.Width, picture.width);
    EXPECT_EQ(back.Height, picture.height);
}

// The picture keeps the window's 4:3 and fills the desktop's height or width, rounded as the
// graphics layer places it between the bars.
TEST(FullScreenPicture, FillsTheDesktopInTheWindowsProportion)
{
    const struct {
        UINT desktopWidth, desktopHeight, width, height;
    } cases[] = {
        {1920, 1080, 1440, 1080},
        {2560, 1440, 1920, 1440},
        {1280, 1024, 1280, 960},
        {640, 480, 640, 480},
        {1366, 768, 1024, 768},
        {1000, 1000, 1000, 750},
        {3, 1, 1, 1},
    };
    for (const auto& c : cases) {
        const PictureSize picture = FullScreenPicture(c.desktopWidth, c.desktopHeight);
        EXPECT_EQ(picture.width, c.width) << c.desktopWidth << "x" << c.desktopHeight;
        EXPECT_EQ(picture.height, c.height) << c.desktopWidth << "x" << c.desktopHeight;
    }
}

TEST_F(DeviceSetup, TheProgramReportsAFailedStartInOneLineAndExitsOne)
{
    std::filesystem::remove(root / "data/sky.tga");
    testing::internal::CaptureStderr();
    const int code = RunGame();
    std::string err = testing::internal::GetCapturedStderr();
    // The test data has no music, which the game reports in a line of its own and plays on.
    const std::string music = "Tarnwick: music data/VelmoraMusic.wav: not found; playing without music\n";
    if (err.rfind(music, 0) == 0) {
        err.erase(0, music.size());
    }
    EXPECT_EQ(code, 1);
    EXPECT_EQ(err, "Tarnwick: cannot start: data/sky.tga not found (0x80040903)\n");
    EXPECT_EQ(recorder.LiveObjects(), 0);
}

}  // namespace
