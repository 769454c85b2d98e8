// tarnwick_run: plays the game's own start-up, loop and frames for a scripted number of
// frames, headless, and writes what happened. See README.md.

#include <SDL.h>
#include <stb/stb_image_write.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "creature/creature.h"
#include "platform/files/files.h"
#include "platform/input/virtual_controller.h"
#include "platform/gfx/recording.h"
#include "platform/window/window.h"
#include "platform/window/window_testing.h"
#include "run_script.h"
#include "soak.h"
#include "shell/controller.h"
#include "shell/device_setup.h"
#include "shell/game_state.h"
#include "shell/key_input.h"
#include "render/gpu/graphics_objects.h"
#include "shell/message_loop.h"

namespace {

constexpr std::uint64_t kMaxScriptBytes = 256u << 20;

struct Options {
    bool recording = false;
    bool window = false;
    bool timing = false;
    bool fullScreen = false;
    bool unpaced = false;
    std::int64_t timedFrom = 1;
    std::int32_t startLevel = 0;
    std::string csv;
    std::string events;
    std::string record;
    std::map<std::int64_t, std::vector<std::string>> shots;
    std::string script;
    std::int64_t frames = -1;
    SoakOptions soak;
};

int Usage(const char* message)
{
    std::fprintf(stderr,
                 "tarnwick_run: %s\nusage: tarnwick_run [--backend gl|recording] [--start-level N] [--frames N]\n"
                 "         [--csv FILE] [--events FILE] [--shot FRAME:FILE.png]... [--window] [--record FILE] "
                 "[SCRIPT]\n         [--timing [--timed-from N]] [--full-screen] [--unpaced]\n"
                 "       tarnwick_run --soak N [--seed S] [--max-rss-growth MB] [--soak-inject-nan FRAME]\n",
                 message);
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() -> std::string { return argv[++i]; };
        if (arg == "--backend" && hasValue) {
            const std::string backend = value();
            if (backend != "gl" && backend != "recording") {
                error = "--backend is gl or recording";
                return false;
            }
            options.recording = backend == "recording";
        } else if (arg == "--start-level" && hasValue) {
            options.startLevel = std::atoi(value().c_str());
            if (options.startLevel < 0 || options.startLevel > 8) {
                error = "--start-level is 0 to 8";
                return false;
            }
        } else if (arg == "--soak" && hasValue) {
            options.soak.frames = std::atoll(value().c_str());
            if (options.soak.frames <= 0) {
                error = "--soak takes a number of frames";
                return false;
            }
        } else if (arg == "--seed" && hasValue) {
            options.soak.seed = static_cast<std::uint32_t>(std::strtoul(value().c_str(), nullptr, 10));
        } else if (arg == "--soak-inject-nan" && hasValue) {
            options.soak.injectNanAt = std::atoll(value().c_str());
        } else if (arg == "--max-rss-growth" && hasValue) {
            options.soak.maxRssGrowthMb = std::atof(value().c_str());
        } else if (arg == "--frames" && hasValue) {
            options.frames = std::atoll(value().c_str());
        } else if (arg == "--csv" && hasValue) {
            options.csv = value();
        } else if (arg == "--events" && hasValue) {
            options.events = value();
        } else if (arg == "--record" && hasValue) {
            options.record = value();
        } else if (arg == "--timing") {
            options.timing = true;
        } else if (arg == "--timed-from" && hasValue) {
            options.timedFrom = std::atoll(value().c_str());
            if (options.timedFrom < 1) {
                error = "--timed-from is 1 or more";
                return false;
            }
        } else if (arg == "--window") {
            options.window = true;
        } else if (arg == "--full-screen") {
            options.fullScreen = true;
            options.window = true;
        } else if (arg == "--unpaced") {
            options.unpaced = true;
        } else if (arg == "--shot" && hasValue) {
            const std::string shot = value();
            const std::size_t colon = shot.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == shot.size()) {
                error = "--shot takes FRAME:FILE.png";
                return false;
            }
            options.shots[std::atoll(shot.substr(0, colon).c_str())].push_back(shot.substr(colon + 1));
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown or incomplete option " + arg;
            return false;
        } else if (options.script.empty()) {
            options.script = arg;
        } else {
            error = "one script only";
            return false;
        }
    }
    if (options.soak.frames > 0) {
        if (!options.script.empty() || !options.record.empty() || options.window || !options.shots.empty()) {
            error = "--soak makes its own input on the recording backend: no script, --record, --window or --shot";
            return false;
        }
        options.recording = true;
        return true;
    }
    if (options.script.empty() && options.record.empty()) {
        error = "no script";
        return false;
    }
    // Recording without a script is a player at a real window.
    if (options.script.empty()) {
        options.window = true;
    }
    if (options.recording && !options.shots.empty()) {
        error = "screenshots need --backend gl";
        return false;
    }
    return true;
}

// The scripted pad, moved so that the controller layer reads exactly the scripted values.
class ScriptedPad {
public:
    bool Attach() { return controller_.Attach("tarnwick_run pad"); }

    void Set(const PadState& pad)
    {
        controller_.SetSticks(pad.lx, pad.ly, pad.rx, pad.ry);
        controller_.SetButton(0, pad.b0);
        controller_.SetButton(1, pad.b1);
        controller_.SetButton(4, pad.b4);
        controller_.SetButton(5, pad.b5);
    }

private:
    VirtualController controller_;
};

// The pad as the game reads it, to compare with the script's.
PadState ReadPad()
{
    const SteeringInput s = ControllerSteering();
    return PadState{s.lx, s.ly, s.rx, s.ry, ControllerButton(0), ControllerButton(1), s.leftGrip, s.rightGrip};
}

// Keyboard and mouse input as SDL events, so it reaches the game through the platform's
// own message translation.
class ScriptedInput {
public:
    explicit ScriptedInput(HWND window) : windowId_(WindowEventId(window)) {}

    void Key(ScriptKey key, bool down)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = windowId_;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = Keycode(key);
        event.key.keysym.scancode = static_cast<SDL_Scancode>(KeyPosition(key));
        SDL_PushEvent(&event);
        if (down && KeyTypesCharacter(key)) {
            SDL_Event text{};
            text.type = SDL_TEXTINPUT;
            text.text.windowID = windowId_;
            text.text.text[0] = static_cast<char>(Keycode(key));
            SDL_PushEvent(&text);
        }
    }

    void Move(std::int32_t x, std::int32_t y)
    {
        x_ = x;
        y_ = y;
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = windowId_;
        event.motion.x = x;
        event.motion.y = y;
        event.motion.state = held_ ? SDL_BUTTON_LMASK : 0;
        SDL_PushEvent(&event);
    }

    void Button(bool down)
    {
        held_ = down;
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = windowId_;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x_;
        event.button.y = y_;
        SDL_PushEvent(&event);
    }

private:
    static SDL_Keycode Keycode(ScriptKey key)
    {
        switch (key) {
        case ScriptKey::Escape: return SDLK_ESCAPE;
        case ScriptKey::W: return SDLK_w;
        case ScriptKey::Space: return SDLK_SPACE;
        case ScriptKey::A: return SDLK_a;
        case ScriptKey::Right: return SDLK_RIGHT;
        case ScriptKey::F1: return SDLK_F1;
        case ScriptKey::Enter: return SDLK_RETURN;
        case ScriptKey::T: return SDLK_t;
        case ScriptKey::F: return SDLK_f;
        case ScriptKey::G: return SDLK_g;
        case ScriptKey::H: return SDLK_h;
        case ScriptKey::Up: return SDLK_UP;
        case ScriptKey::Down: return SDLK_DOWN;
        case ScriptKey::Left: return SDLK_LEFT;
        case ScriptKey::RightCtrl: return SDLK_RCTRL;
        case ScriptKey::RightShift: return SDLK_RSHIFT;
        }
        return SDLK_UNKNOWN;
    }

    Uint32 windowId_;
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
    bool held_ = false;
};

void WriteCsvRow(std::FILE* csv, std::int64_t frame)
{
    std::fprintf(csv, "%lld,%d,%d,%d", static_cast<long long>(frame), static_cast<int>(Session.screen),
                 Session.levelCounter, Creature.alive ? 1 : 0);
    for (const CVerletSystem* system : {&Creature.bodySystem, &Creature.limbSystem}) {
        const int count = system == &Creature.bodySystem ? 5 : 10;
        for (int i = 0; i < count; ++i) {
            const Vector4& p = system->particles[i].position;
            std::fprintf(csv, ",%.9g,%.9g", static_cast<double>(p.x), static_cast<double>(p.y));
        }
    }
    std::fprintf(csv, ",%d,%d\n", Creature.leftGripping ? 1 : 0, Creature.rightGripping ? 1 : 0);
}

void WriteCsvHeader(std::FILE* csv)
{
    std::fprintf(csv, "frame,state,level,alive");
    for (int i = 0; i < 5; ++i) {
        std::fprintf(csv, ",body%d_x,body%d_y", i, i);
    }
    for (int i = 0; i < 10; ++i) {
        std::fprintf(csv, ",limb%d_x,limb%d_y", i, i);
    }
    std::fprintf(csv, ",leftGripping,rightGripping\n");
}

bool WriteShot(const std::string& file)
{
    IDirect3DSurface9* back = nullptr;
    if (Gpu.device == nullptr || FAILED(Gpu.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)) ||
        back == nullptr) {
        return false;
    }
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    D3DLOCKED_RECT rect{};
    bool written = false;
    if (SUCCEEDED(back->LockRect(&rect, nullptr, D3DLOCK_READONLY))) {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(desc.Width) * desc.Height * 4);
        for (UINT y = 0; y < desc.Height; ++y) {
            const auto* row =
                static_cast<const std::uint8_t*>(rect.pBits) + static_cast<std::ptrdiff_t>(y) * rect.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * desc.Width + x) * 4];
                out[0] = row[x * 4 + 2];
                out[1] = row[x * 4 + 1];
                out[2] = row[x * 4 + 0];
                out[3] = 255;
            }
        }
        back->UnlockRect();
        written = stbi_write_png(file.c_str(), static_cast<int>(desc.Width), static_cast<int>(desc.Height), 4,
                                 rgba.data(), static_cast<int>(desc.Width) * 4) != 0;
    }
    back->Release();
    return written;
}

// How long before `at` the kernel started this process (loading libraries and the static
// constructors included), from /proc's start time in clock ticks; -1 when unknown.
// Without a window manager (Xvfb) a full-screen window keeps its windowed size, and the
// desktop-sized back buffer would be squeezed into it (SDL still reports the desktop's size);
// do what a window manager would.
void CoverTheDesktop(HWND window)
{
    SDL_Window* sdl = SDL_GetWindowFromID(WindowEventId(window));
    SDL_DisplayMode desktop{};
    if (sdl == nullptr || SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return;
    }
    SDL_SetWindowFullscreen(sdl, 0);
    SDL_SetWindowBordered(sdl, SDL_FALSE);
    SDL_SetWindowPosition(sdl, 0, 0);
    SDL_SetWindowSize(sdl, desktop.w, desktop.h);
}

double ProcessCpuMs()
{
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6;
}

// The process's age at `at`, from the system's record of when it started.
double ProcessAgeMs(std::chrono::steady_clock::time_point at)
{
    const double age = ProcessAgeMilliseconds();
    if (age < 0.0) {
        return -1.0;
    }
    return age - std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - at).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const auto entered = std::chrono::steady_clock::now();
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        return Usage(error.c_str());
    }
    Script script;
    if (!options.script.empty()) {
        std::vector<std::uint8_t> bytes;
        if (!ReadRegularFile(options.script.c_str(), kMaxScriptBytes, &bytes, &error)) {
            std::fprintf(stderr, "tarnwick_run: %s\n", error.c_str());
            return 2;
        }
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        if (!ParseScript(in, script, error)) {
            std::fprintf(stderr, "tarnwick_run: %s: %s\n", options.script.c_str(), error.c_str());
            return 2;
        }
    }
    if (options.soak.frames > 0) {
        script = MakeSoakScript(options.soak);
    }
    std::int64_t endFrame = options.frames >= 0 ? options.frames : script.endFrame;
    if (endFrame < 0 && options.record.empty()) {
        return Usage("the script has no end line and there is no --frames");
    }
    if (!options.window) {
        SDL_setenv("SDL_VIDEODRIVER", "offscreen", 0);
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 0);
    }

    GfxRecorder recorder;
    if (options.recording) {
        GfxUseRecordingBackend(&recorder);
    }
    ScriptedPad pad;
    const bool scripted = !options.script.empty() || options.soak.frames > 0;
    if (scripted && !script.noPad && !pad.Attach()) {
        std::fprintf(stderr, "tarnwick_run: no virtual controller: %s\n", SDL_GetError());
        return 1;
    }

    Startup.fullScreenPresentation = options.fullScreen;
    Startup.immediatePresentation = options.unpaced;
    DiscardStartupRandoms();
    HWND window = nullptr;
    const HRESULT started = StartGame(window);
    if (FAILED(started)) {
        EndGame();
        std::fprintf(stderr, "tarnwick_run: cannot start: %s (0x%08X)\n", Startup.lastFailure.what,
                     static_cast<unsigned>(started));
        return 1;
    }
    if (options.fullScreen) {
        CoverTheDesktop(window);
    }
    if (options.startLevel >= 1) {
        ArriveAtLevel(Session, Creature, options.startLevel);
    }

    // The pad state for each frame, and the other input grouped by the frame it precedes.
    std::size_t next = 0;
    PadState current;
    auto padFor = [&](std::int64_t frame) {
        PadState state = current;
        for (std::size_t i = next; i < script.commands.size() && script.commands[i].frame <= frame; ++i) {
            if (script.commands[i].kind == CommandKind::Pad) {
                state = script.commands[i].pad;
            }
        }
        return state;
    };
    // The controller is plugged in and read before the first frame: one poll acquires it,
    // the next reads it.
    pad.Set(padFor(0));
    PollController();
    PollController();

    std::FILE* csv = options.csv.empty() ? nullptr : std::fopen(options.csv.c_str(), "w");
    std::FILE* events = options.events.empty() ? nullptr : std::fopen(options.events.c_str(), "w");
    std::FILE* record = options.record.empty() ? nullptr : std::fopen(options.record.c_str(), "w");
    if ((!options.csv.empty() && csv == nullptr) || (!options.events.empty() && events == nullptr) ||
        (!options.record.empty() && record == nullptr)) {
        std::fprintf(stderr, "tarnwick_run: cannot write an output file\n");
        EndGame();
        return 1;
    }
    if (csv != nullptr) {
        WriteCsvHeader(csv);
    }
    if (events != nullptr) {
        std::fprintf(events, "frame,state,level\n");
    }
    if (record != nullptr) {
        std::fprintf(record, "# recorded by tarnwick_run --record\n");
        if (GamePad.device == nullptr) {
            std::fprintf(record, "0 nopad\n");
        }
    }

    ScriptedInput input(window);
    std::optional<Soak> soak;
    if (options.soak.frames > 0) {
        soak.emplace(options.soak);
        soak->Begin();
    }
    bool releasePending = false;  // a click's button-up, due before the next frame
    Screen lastState = Session.screen;
    std::int32_t lastLevel = Session.levelCounter;
    PadState recorded;
    bool anyRecorded = false;
    int result = 0;
    MSG message{};
    std::int64_t frame = 0;
    std::chrono::steady_clock::time_point firstPresent{};
    std::chrono::steady_clock::time_point lastPresent{};
    std::chrono::steady_clock::time_point timedStart{};
    double timedStartCpuMs = 0.0;
    double lastCpuMs = 0.0;
    bool inputDelivered = false;
    while (endFrame < 0 || frame < endFrame) {
        if (!inputDelivered) {
            if (releasePending) {
                input.Button(false);
                releasePending = false;
            }
            for (; next < script.commands.size() && script.commands[next].frame <= frame; ++next) {
                const ScriptCommand& c = script.commands[next];
                switch (c.kind) {
                case CommandKind::Pad: current = c.pad; break;
                case CommandKind::Key:
                    input.Key(c.key, true);
                    input.Key(c.key, false);
                    break;
                case CommandKind::KeyDown: input.Key(c.key, true); break;
                case CommandKind::KeyUp: input.Key(c.key, false); break;
                case CommandKind::Mouse: input.Move(c.x, c.y); break;
                case CommandKind::Down: input.Button(true); break;
                case CommandKind::Up: input.Button(false); break;
                case CommandKind::Click:
                    input.Button(true);
                    releasePending = true;
                    break;
                default: break;
                }
            }
            inputDelivered = true;
        }
        // When nothing waits, this pass runs the frame and its poll already reads for the
        // next one.
        MSG peeked;
        const bool frameNext = scripted && !PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE);
        if (frameNext) {
            pad.Set(padFor(frame + 1));
        }
        const PadState before = ReadPad();
        if (frameNext && !script.noPad && !(before == current)) {
            std::fprintf(stderr, "tarnwick_run: frame %lld would read %s, not the scripted state\n",
                         static_cast<long long>(frame), FormatPadLine(frame, before).c_str());
            result = 1;
            break;
        }
        const LoopPass pass = RunLoopPass(message);
        if (frameNext && pass != LoopPass::RanFrame) {
            // Something arrived after all: the frame has yet to run, with this frame's input.
            pad.Set(current);
            PollController();
        }
        if (pass == LoopPass::Quit) {
            std::fprintf(stderr, "tarnwick_run: the game quit before frame %lld\n", static_cast<long long>(frame));
            break;
        }
        if (pass != LoopPass::RanFrame) {
            continue;
        }
        // The frame's calls are not looked at again: the log holds one frame at a time.
        if (options.recording) {
            recorder.ClearCalls();
        }
        if (soak && !soak->AfterFrame(frame)) {
            std::fprintf(stderr, "tarnwick_run: soak: %s\n", soak->Problem().c_str());
            result = 1;
            ++frame;
            break;
        }
        if (record != nullptr && GamePad.device != nullptr && (!anyRecorded || !(before == recorded))) {
            std::fprintf(record, "%s\n", FormatPadLine(frame, before).c_str());
            recorded = before;
            anyRecorded = true;
        }
        if (options.timing) {
            const auto now = std::chrono::steady_clock::now();
            if (frame == 0) {
                firstPresent = now;
            }
            if (frame == options.timedFrom - 1) {
                timedStart = now;
                timedStartCpuMs = ProcessCpuMs();
            }
            lastPresent = now;
            lastCpuMs = ProcessCpuMs();
        }
        if (csv != nullptr) {
            WriteCsvRow(csv, frame);
        }
        if (events != nullptr && (Session.screen != lastState || Session.levelCounter != lastLevel)) {
            std::fprintf(events, "%lld,%d,%d\n", static_cast<long long>(frame), static_cast<int>(Session.screen),
                         Session.levelCounter);
        }
        lastState = Session.screen;
        lastLevel = Session.levelCounter;
        const auto shots = options.shots.find(frame);
        if (shots != options.shots.end()) {
            for (const std::string& file : shots->second) {
                if (!WriteShot(file)) {
                    std::fprintf(stderr, "tarnwick_run: cannot write %s\n", file.c_str());
                    result = 1;
                }
            }
        }
        ++frame;
        inputDelivered = false;
    }
    if (options.timing && frame > 0) {
        using Ms = std::chrono::duration<double, std::milli>;
        std::fprintf(stderr, "tarnwick_run: start-up to the first present %.1f ms", Ms(firstPresent - entered).count());
        const double sinceStart = ProcessAgeMs(firstPresent);
        if (sinceStart >= 0.0) {
            std::fprintf(stderr, " (%.0f ms from the process's start, to 10 ms)", sinceStart);
        }
        if (frame > 1) {
            std::fprintf(stderr, ", then %.3f ms a frame",
                         Ms(lastPresent - firstPresent).count() / static_cast<double>(frame - 1));
        }
        std::fprintf(stderr, "\n");
        // One line for the frame benchmark to read: the first present on the steady clock
        // (comparable between processes), then wall and CPU time of the timed frames.
        const std::int64_t timed = frame - options.timedFrom;
        if (timed > 0) {
            std::fprintf(
                stderr, "timing first_present_ns=%lld frames=%lld wall_ms=%.3f cpu_ms=%.3f\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(firstPresent.time_since_epoch()).count()),
                static_cast<long long>(timed), Ms(lastPresent - timedStart).count(), lastCpuMs - timedStartCpuMs);
        }
    }
    if (soak && !soak->Report(frame)) {
        result = 1;
    }
    if (record != nullptr) {
        std::fprintf(record, "%lld end\n", static_cast<long long>(frame));
    }
    for (std::FILE* file : {csv, events, record}) {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    EndGame();
    GfxUseRecordingBackend(nullptr);
    return result;
}
