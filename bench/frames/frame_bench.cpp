// The game's frames beside the least a frame can cost, on the machine's GL in a window that
// really presents (run it on a display: Xvfb or a desktop at 1920 x 1080 or larger).
//
//   bench_frames [--rounds R] [--frames N] [--sizes small,full] [--scenes play,title] [--paced]
//                [--game TARNWICK_RUN]
//
// From the project root. Each case (a scene at a size) runs the game (`tarnwick_run`: the
// level-8 replay, or the title) and the minimal program (`frame_floor`) in turn, R rounds,
// the order swapped every round, so that a machine whose load drifts charges both alike.
// "small" is the 640 x 480 window, "full" full screen at the desktop's size. Each run
// skips its first frames and reports CPU (all its threads) and wall time per frame; the
// medians over the rounds are printed with their ratio, then start-up to the first present
// (from the moment the process was spawned). --paced leaves the game's own pacing on and
// paces the minimal program by sleeping to absolute 60 Hz deadlines. --game runs another build
// of tarnwick_run (an older one, say, from a folder holding its data/ and the replay).

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kSkippedFrames = 20;

struct Run {
    bool ok = false;
    double startupMs = 0.0;
    double cpuMs = 0.0;   // per frame
    double wallMs = 0.0;  // per frame
};

std::int64_t SteadyNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::string Load()
{
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

// Runs a program to its end, its stderr captured, and reads its timing line.
Run Spawn(const std::vector<std::string>& args)
{
    Run run;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const std::int64_t spawned = SteadyNs();
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string text;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], chunk, sizeof chunk)) > 0) {
        text.append(chunk, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (failed != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_frames: %s failed:\n%s\n", args[0].c_str(), text.c_str());
        return run;
    }
    const std::size_t at = text.find("timing first_present_ns=");
    long long first = 0;
    long long frames = 0;
    double wall = 0.0;
    double cpu = 0.0;
    if (at == std::string::npos ||
        std::sscanf(text.c_str() + at, "timing first_present_ns=%lld frames=%lld wall_ms=%lf cpu_ms=%lf", &first,
                    &frames, &wall, &cpu) != 4 ||
        frames <= 0) {
        std::fprintf(stderr, "bench_frames: no timing line from %s:\n%s\n", args[0].c_str(), text.c_str());
        return run;
    }
    run.ok = true;
    run.startupMs = static_cast<double>(first - spawned) / 1e6;
    run.cpuMs = cpu / static_cast<double>(frames);
    run.wallMs = wall / static_cast<double>(frames);
    return run;
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

std::vector<std::string> Split(const std::string& list)
{
    std::vector<std::string> parts;
    std::stringstream in(list);
    std::string part;
    while (std::getline(in, part, ',')) {
        parts.push_back(part);
    }
    return parts;
}

struct Series {
    std::vector<double> startup, cpu, wall;
    void Add(const Run& run)
    {
        startup.push_back(run.startupMs);
        cpu.push_back(run.cpuMs);
        wall.push_back(run.wallMs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    long long frames = 200;
    bool paced = false;
    std::vector<std::string> sizes{"small", "full"};
    std::vector<std::string> scenes{"play", "title"};
    std::string runner = TARNWICK_RUN;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        const std::string arg = argv[i];
        if (arg == "--rounds" && hasValue) {
            rounds = std::atoi(argv[++i]);
        } else if (arg == "--frames" && hasValue) {
            frames = std::atoll(argv[++i]);
        } else if (arg == "--sizes" && hasValue) {
            sizes = Split(argv[++i]);
        } else if (arg == "--scenes" && hasValue) {
            scenes = Split(argv[++i]);
        } else if (arg == "--paced") {
            paced = true;
        } else if (arg == "--game" && hasValue) {
            runner = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: bench_frames [--rounds R] [--frames N] [--sizes small,full] [--scenes play,title] "
                         "[--paced] [--game TARNWICK_RUN]\n");
            return 2;
        }
    }
    if (rounds < 1 || frames <= kSkippedFrames) {
        std::fprintf(stderr, "bench_frames: --rounds is 1 or more, --frames more than %d\n", kSkippedFrames);
        return 2;
    }
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
        std::fprintf(stderr, "bench_frames: needs a display (xvfb-run -s \"-screen 0 1920x1080x24\" ...)\n");
        return 2;
    }
    // The title: the controller attached and left alone, so the game stays on its first screen.
    char titleScript[] = "/tmp/bench_frames_title_XXXXXX";
    const int fd = mkstemp(titleScript);
    if (fd < 0) {
        std::fprintf(stderr, "bench_frames: no temporary file\n");
        return 1;
    }
    const char kTitle[] = "0 pad 0 0 0 0 0 0 0 0\n";
    const bool written = write(fd, kTitle, sizeof kTitle - 1) == static_cast<ssize_t>(sizeof kTitle - 1);
    close(fd);
    if (!written) {
        unlink(titleScript);
        return 1;
    }

    const std::string count = std::to_string(frames);
    const std::string from = std::to_string(kSkippedFrames + 1);
    std::printf("bench_frames: %d rounds, %lld frames a run (the first %d untimed), %s; load %s\n", rounds, frames,
                kSkippedFrames, paced ? "paced" : "unpaced", Load().c_str());
    std::printf("%-6s %-6s %10s %10s %6s %10s %10s %6s %9s %9s\n", "scene", "size", "game cpu", "floor cpu", "ratio",
                "game wall", "floor wall", "ratio", "game up", "floor up");
    int result = 0;
    for (const std::string& size : sizes) {
        for (const std::string& scene : scenes) {
            std::vector<std::string> game{runner, "--timing", "--timed-from", from, "--frames", count};
            std::vector<std::string> floor{FRAME_FLOOR, "--frames", count, "--timed-from", from};
            game.push_back(size == "full" ? "--full-screen" : "--window");
            if (size == "full") {
                floor.push_back("--full-screen");
            }
            if (paced) {
                floor.push_back("--paced");
            } else {
                game.push_back("--unpaced");
            }
            if (scene == "play") {
                game.insert(game.end(), {"--start-level", "7", "tests/levels/level8.replay"});
            } else {
                game.push_back(titleScript);
            }
            Series gameRuns, floorRuns;
            for (int r = 0; r < rounds; ++r) {
                for (int k = 0; k < 2; ++k) {
                    const bool gameTurn = (k == 0) == (r % 2 == 0);
                    const Run run = Spawn(gameTurn ? game : floor);
                    if (!run.ok) {
                        unlink(titleScript);
                        return 1;
                    }
                    (gameTurn ? gameRuns : floorRuns).Add(run);
                }
            }
            const double gc = Median(gameRuns.cpu), fc = Median(floorRuns.cpu);
            const double gw = Median(gameRuns.wall), fw = Median(floorRuns.wall);
            std::printf("%-6s %-6s %8.2fms %8.2fms %6.2f %8.2fms %8.2fms %6.2f %7.0fms %7.0fms\n", scene.c_str(),
                        size.c_str(), gc, fc, gc / fc, gw, fw, gw / fw, Median(gameRuns.startup),
                        Median(floorRuns.startup));
            std::fflush(stdout);
        }
    }
    std::printf("load afterwards %s\n", Load().c_str());
    unlink(titleScript);
    return result;
}
