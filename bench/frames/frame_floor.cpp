// The least a frame can cost on this machine's GL: a window of the game's size, a clear, one
// full-screen textured quad through a trivial shader, a swap. The frame benchmark runs it
// beside the game and prints the same timing line as `tarnwick_run --timing`.
//
//   frame_floor [--full-screen] [--frames N] [--timed-from N] [--paced]
//
// Windowed it is 640 x 480; --full-screen covers the desktop, as the game does. --paced
// holds 60 frames/s by sleeping to absolute deadlines, the cheapest pacing there is.

#include <SDL.h>
#include <epoxy/gl.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* const kVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
out vec2 uv;
void main()
{
    uv = position * 0.5 + 0.5;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";

const char* const kFragment = R"(#version 330 core
in vec2 uv;
uniform sampler2D picture;
out vec4 color;
void main() { color = texture(picture, uv); }
)";

std::int64_t SteadyNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

GLuint Shader(GLenum kind, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "frame_floor: shader: %s\n", log);
        std::exit(1);
    }
    return shader;
}

}  // namespace

int main(int argc, char** argv)
{
    bool fullScreen = false;
    bool paced = false;
    long long frames = 300;
    long long timedFrom = 1;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--full-screen") == 0) {
            fullScreen = true;
        } else if (std::strcmp(argv[i], "--paced") == 0) {
            paced = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && hasValue) {
            frames = std::atoll(argv[++i]);
        } else if (std::strcmp(argv[i], "--timed-from") == 0 && hasValue) {
            timedFrom = std::atoll(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: frame_floor [--full-screen] [--frames N] [--timed-from N] [--paced]\n");
            return 2;
        }
    }
    if (frames < 1 || timedFrom < 1) {
        std::fprintf(stderr, "frame_floor: --frames and --timed-from are 1 or more\n");
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "frame_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // Full screen is a borderless window over the whole desktop: what a window manager makes
    // of a full-screen window, and the same without one (Xvfb).
    SDL_DisplayMode desktop{};
    if (fullScreen && SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        std::fprintf(stderr, "frame_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = fullScreen ? SDL_CreateWindow("frame_floor", 0, 0, desktop.w, desktop.h,
                                                       SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS)
                                    : SDL_CreateWindow("frame_floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                                       640, 480, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr) {
        std::fprintf(stderr, "frame_floor: no GL 3.3 core window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);

    const GLuint program = glCreateProgram();
    glAttachShader(program, Shader(GL_VERTEX_SHADER, kVertex));
    glAttachShader(program, Shader(GL_FRAGMENT_SHADER, kFragment));
    glLinkProgram(program);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "picture"), 0);

    // A 256 x 256 picture, about the size of the game's, stretched over the window.
    std::vector<std::uint32_t> pixels(256 * 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            pixels[y * 256 + x] = 0xFF000000u | static_cast<std::uint32_t>(x) | (static_cast<std::uint32_t>(y) << 8) |
                                  (static_cast<std::uint32_t>(x ^ y) << 16);
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    const float quad[8] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
    GLuint vao = 0;
    GLuint buffer = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    constexpr std::int64_t kPeriodNs = 1000000000 / 60;
    std::int64_t firstPresent = 0;
    std::int64_t timedStart = 0;
    std::int64_t lastPresent = 0;
    double timedStartCpu = 0.0;
    double lastCpu = 0.0;
    std::int64_t origin = 0;
    for (long long frame = 0; frame < frames; ++frame) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) {
        }
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        SDL_GL_SwapWindow(window);
        if (paced) {
            if (frame == 0) {
                origin = SteadyNs();
            } else {
                const std::int64_t due = origin + frame * kPeriodNs;
                const timespec until{static_cast<time_t>(due / 1000000000), static_cast<long>(due % 1000000000)};
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
            }
        }
        const std::int64_t now = SteadyNs();
        if (frame == 0) {
            firstPresent = now;
        }
        if (frame == timedFrom - 1) {
            timedStart = now;
            timedStartCpu = CpuMs();
        }
        lastPresent = now;
        lastCpu = CpuMs();
    }
    std::fprintf(stderr, "frame_floor: %d x %d\n", width, height);
    if (frames > timedFrom) {
        std::fprintf(stderr, "timing first_present_ns=%lld frames=%lld wall_ms=%.3f cpu_ms=%.3f\n",
                     static_cast<long long>(firstPresent), frames - timedFrom,
                     static_cast<double>(lastPresent - timedStart) / 1e6, lastCpu - timedStartCpu);
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
