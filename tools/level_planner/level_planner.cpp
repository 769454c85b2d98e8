// Level design and proof tool: plans input replays that finish a level on the game's own
// simulation, plays replays through the screens and levels, records and checks their
// checkpoints, and draws level overviews and replay strips.
//
//   level_planner plan MAP LEVEL OUT.replay [--beam N] [--expand N] [--hold N] [--seed N] [--max-frames N] [--grips 0]
//                 [--keys 1] [--one-foot 1]
//   level_planner record DATA SCRIPT CHECKS [--start-level N]
//   level_planner verify DATA SCRIPT CHECKS [--start-level N]
//   level_planner checkrun CHECKS RUN.csv RUN.events [--start-level N]
//   level_planner fullrun DATA REPLAY_DIR OUT.replay [--keys 1]
//   level_planner mapcheck PICTURE.txt MAP.tga
//   level_planner overview MAP OUT.png
//   level_planner strip DATA SCRIPT OUT.png [--start-level N] [--panels K]
//   level_planner stats DATA
//
// MAP is a map TGA or its text picture; DATA the folder of map1.tga ... map8.tga; LEVEL
// the play index (0 to 7). Replays are the headless runner's input scripts: the level-up
// screen (or the title, level 0) at frame 0, a click at frame 1, play from frame 2.
// With --keys the plan uses only what the keyboard makes (each axis full or centred) and
// is written as keydown/keyup lines of the default keys with nopad, the level started by
// a tap of Space; fullrun --keys chains the levelN.keys.replay files.
// With --one-foot each change of input moves one foot's keys only: with --keys 1 --hold 12,
// play a person could make.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "creature/creature.h"
#include "platform/files/files.h"
#include "map_text.h"
#include "picture.h"
#include "planner.h"
#include "replay.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace {

int Usage()
{
    std::fputs(
        "usage: level_planner plan|record|verify|checkrun|fullrun|mapcheck|overview|strip|stats ... (see the source)\n",
        stderr);
    return 2;
}

int Option(const std::vector<std::string>& args, const char* name, int fallback)
{
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) {
            return std::atoi(args[i + 1].c_str());
        }
    }
    return fallback;
}

bool EndsWith(const std::string& s, const char* tail)
{
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// Only a regular file is read: a FIFO or device given by mistake is refused at once.
bool ReadText(const std::string& path, std::string& text)
{
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!ReadRegularFile(path.c_str(), 1ull << 30, &bytes, &why)) {
        std::fprintf(stderr, "level_planner: %s\n", why.c_str());
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

bool LoadMap(const std::string& path, MapImage& map)
{
    std::string error;
    bool ok = false;
    if (EndsWith(path, ".txt")) {
        std::string text;
        ok = ReadText(path, text) && TextToMap(text, map, error);
    } else {
        ok = ReadMapImage(path, map);
    }
    if (!ok) {
        std::fprintf(stderr, "level_planner: %s: %s\n", path.c_str(), error.empty() ? "cannot read" : error.c_str());
    }
    return ok;
}

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// A keyboard replay: the pads' changes as key presses and releases, Space to start.
void UseKeys(ReplayScript& script)
{
    script.noPad = true;
    script.mouse.clear();
    script.keys.emplace(1, "key space");
    Pad held;
    for (const auto& [frame, pad] : script.pads) {
        for (const std::string& line : KeyChanges(held, pad)) {
            script.keys.emplace(frame, line);
        }
        held = pad;
    }
}

// The frames of a level's replay: play index i at frame i + 1 (the click is at frame 1).
ReplayScript ScriptFromPlan(const Plan& plan, int level, bool keys)
{
    ReplayScript script;
    script.comments.push_back("# level " + std::to_string(level + 1) + " (" + LevelMapName(level) + "): planned by " +
                              (keys ? "level_planner --keys" : "level_planner") + "; goal at frame " +
                              std::to_string(plan.goalFrame + 1));
    script.mouse[1] = "click";
    for (std::size_t i = 0; i < plan.pads.size(); ++i) {
        const auto frame = static_cast<std::int32_t>(i) + 2;
        auto last = script.pads.empty() ? script.pads.end() : std::prev(script.pads.end());
        if (last == script.pads.end() || !(last->second == plan.pads[i])) {
            script.pads[frame] = plan.pads[i];
        }
    }
    // The goal frame and the one before it release the pad, so the next level starts from
    // the same steering whether it is played alone or in the full run. Neither can change
    // the goal frame: the goal test sees the step of two frames before.
    const std::int32_t goalFrame = plan.goalFrame + 1;
    for (auto it = script.pads.lower_bound(goalFrame - 1); it != script.pads.end();) {
        it = script.pads.erase(it);
    }
    script.pads[goalFrame - 1] = Pad{};
    script.end = goalFrame + 3;
    if (keys) {
        UseKeys(script);
    }
    return script;
}

int Plan_(const std::vector<std::string>& args)
{
    if (args.size() < 3) {
        return Usage();
    }
    MapImage map;
    if (!LoadMap(args[0], map)) {
        return 1;
    }
    const int level = std::atoi(args[1].c_str());
    PlanOptions options;
    options.beam = Option(args, "--beam", options.beam);
    options.expansions = Option(args, "--expand", options.expansions);
    options.hold = Option(args, "--hold", options.hold);
    options.maxFrames = Option(args, "--max-frames", options.maxFrames);
    options.seed = static_cast<std::uint32_t>(Option(args, "--seed", static_cast<int>(options.seed)));
    options.grips = Option(args, "--grips", 1) != 0;
    options.keys = Option(args, "--keys", 0) != 0;
    options.oneFoot = Option(args, "--one-foot", 0) != 0;
    const Plan plan = PlanLevel(map, level, options);
    if (!plan.found) {
        std::fprintf(stderr, "level_planner: no plan found; nearest %.1f cells from the goal\n",
                     static_cast<double>(plan.bestDistance));
        return 1;
    }
    if (!WriteText(args[2], FormatReplay(ScriptFromPlan(plan, level, options.keys)))) {
        std::fprintf(stderr, "level_planner: cannot write %s\n", args[2].c_str());
        return 1;
    }
    std::printf("goal at playing frame %d; wrote %s\n", plan.goalFrame, args[2].c_str());
    return 0;
}

// The eight maps from DATA and the replay script, or a message on stderr.
bool LoadRun(const std::string& dataDir, const std::string& scriptPath, std::vector<MapImage>& maps,
             ReplayScript& script)
{
    std::string error;
    if (!LoadLevelMaps(dataDir, maps, error) || !ReadReplay(scriptPath, script, error)) {
        std::fprintf(stderr, "level_planner: %s\n", error.c_str());
        return false;
    }
    return true;
}

void PrintRun(const RunRecord& run)
{
    for (const auto& [level, frame] : run.goals) {
        std::printf("level %d (%s): LevelCounter rises at frame %d\n", level + 1, LevelMapName(level), frame);
    }
    for (const std::string& d : run.deaths) {
        std::printf("%s\n", d.c_str());
    }
    std::printf("states:");
    for (const std::string& s : run.states) {
        std::printf(" [%s]", s.c_str());
    }
    std::printf("\n");
}

// A recording without a goal proves nothing, so it never passes.
int Judge(const RunRecord& recorded, const RunRecord& run, const char* matches, const char* diverged)
{
    const std::string diff = recorded.goals.empty() ? "the recording has no goal" : CompareRecords(recorded, run);
    if (!diff.empty()) {
        std::printf("%s: %s\n", diverged, diff.c_str());
        return 1;
    }
    std::printf("%s: %zu goals, %zu checkpoints\n", matches, run.goals.size(), run.checkpoints.size());
    return 0;
}

// record and verify: play the script; write or compare the checkpoints.
int RecordOrVerify(const std::vector<std::string>& args, bool record)
{
    if (args.size() < 3) {
        return Usage();
    }
    std::vector<MapImage> maps;
    ReplayScript script;
    if (!LoadRun(args[0], args[1], maps, script)) {
        return 1;
    }
    const RunRecord run = PlayReplay(maps, script, Option(args, "--start-level", 0), 50);
    PrintRun(run);
    if (record) {
        return WriteText(args[2], FormatRecord(run)) ? 0 : 1;
    }
    RunRecord recorded;
    std::string error;
    if (!ReadRecord(args[2], recorded, error)) {
        std::fprintf(stderr, "level_planner: %s\n", error.c_str());
        return 1;
    }
    return Judge(recorded, run, "replay matches its recording", "REPLAY DIVERGED");
}

// Compares what the headless runner wrote for a replay with the replay's recording.
int CheckRun(const std::vector<std::string>& args)
{
    if (args.size() < 3) {
        return Usage();
    }
    RunRecord recorded;
    RunRecord run;
    std::string error;
    if (!ReadRecord(args[0], recorded, error) ||
        !RecordFromRunner(args[1], args[2], Option(args, "--start-level", 0), recorded, run, error)) {
        std::fprintf(stderr, "level_planner: %s\n", error.c_str());
        return 1;
    }
    PrintRun(run);
    return Judge(recorded, run, "the game's run matches its recording", "REPLAY DIVERGED in the game");
}

// Chains the eight level replays: each level's click two frames after the previous goal.
int FullRun(const std::vector<std::string>& args)
{
    if (args.size() < 3) {
        return Usage();
    }
    const bool keys = Option(args, "--keys", 0) != 0;
    ReplayScript full;
    full.noPad = keys;
    full.comments.push_back("# Full run: title, the eight levels with the screens between, game end, title.");
    full.comments.push_back(std::string("# Made by level_planner fullrun from the level") + (keys ? " keyboard" : "") +
                            " replays.");
    // A click starts each level, or with the keyboard a tap of Space.
    auto start = [&](std::int32_t frame) {
        if (keys) {
            full.keys.emplace(frame, "key space");
        } else {
            full.mouse[frame] = "click";
        }
    };
    const std::string suffix = keys ? ".keys" : "";
    std::int32_t startFrame = 1;  // the frame whose click starts the level
    for (int level = 0; level < 8; ++level) {
        const std::string stem = args[1] + "/level" + std::to_string(level + 1) + suffix;
        ReplayScript one;
        std::string error;
        RunRecord checks;
        if (!ReadReplay(stem + ".replay", one, error) || !ReadRecord(stem + ".check", checks, error) ||
            checks.goals.empty()) {
            std::fprintf(stderr, "level_planner: %s\n", error.empty() ? "no recorded goal" : error.c_str());
            return 1;
        }
        const std::int32_t shift = startFrame - 1;
        start(startFrame);
        for (const auto& [frame, pad] : one.pads) {
            full.pads[frame + shift] = pad;
        }
        for (const auto& [frame, line] : one.keys) {
            if (frame > 1) {  // the level's own start is the run's
                full.keys.emplace(frame + shift, line);
            }
        }
        startFrame = checks.goals.front().second + shift + 2;
    }
    start(startFrame);  // leaves the game-end screen for the title
    full.end = startFrame + 2;
    return WriteText(args[2], FormatReplay(full)) ? 0 : 1;
}

int MapCheck(const std::vector<std::string>& args)
{
    if (args.size() < 2) {
        return Usage();
    }
    std::string text;
    std::string bytes;
    MapImage map;
    std::string error;
    if (!ReadText(args[0], text) || !TextToMap(text, map, error) || !ReadText(args[1], bytes)) {
        std::fprintf(stderr, "level_planner: cannot read %s or %s %s\n", args[0].c_str(), args[1].c_str(),
                     error.c_str());
        return 1;
    }
    const std::vector<std::uint8_t> made = EncodeTga(map);
    if (std::string(made.begin(), made.end()) != bytes) {
        std::printf("%s is not what %s makes: run level_map make\n", args[1].c_str(), args[0].c_str());
        return 1;
    }
    std::printf("%s matches %s\n", args[1].c_str(), args[0].c_str());
    return 0;
}

int Overview(const std::vector<std::string>& args)
{
    MapImage map;
    if (args.size() < 2 || !LoadMap(args[0], map)) {
        return args.size() < 2 ? Usage() : 1;
    }
    const MapView view = ViewOf(map, 6);
    PixelCanvas canvas(view.columns * view.scale, view.rows * view.scale);
    DrawMap(canvas, view, map);
    Creature.Reset();
    World.ClearContents();
    ScanMap(map.bgra.data(), kMapRowBytes, World.blocks, World.spikes, Creature.bodySystem.boxes, World.startPoint,
            World.goalPoint);
    Creature.Place(World.startPoint);
    DrawCreature(canvas, view);
    return canvas.WritePng(args[1]) ? 0 : 1;
}

// Panels of the whole level at evenly spaced playing frames of a one-level replay.
int Strip(const std::vector<std::string>& args)
{
    if (args.size() < 3) {
        return Usage();
    }
    std::vector<MapImage> maps;
    ReplayScript script;
    if (!LoadRun(args[0], args[1], maps, script)) {
        return 1;
    }
    const int startLevel = Option(args, "--start-level", 0);
    const int panels = std::max(2, Option(args, "--panels", 6));
    const MapImage& map = maps[static_cast<std::size_t>(startLevel)];
    MapView view = ViewOf(map, 3);
    const int panelWidth = view.columns * view.scale + 4;
    PixelCanvas canvas(panelWidth * panels, view.rows * view.scale);
    const std::int32_t last = script.end - 3;  // the goal frame
    std::int32_t panel = 0;
    PlayReplay(maps, script, startLevel, 0, [&](std::int32_t frame, std::int32_t level) {
        const std::int32_t due = 2 + (last - 2) * panel / (panels - 1);
        if (level != startLevel || panel >= panels || frame < due) {
            return;
        }
        view.originX = panel * panelWidth;
        DrawMap(canvas, view, map);
        DrawCreature(canvas, view);
        canvas.Fill(view.originX + 2, 2, view.originX + 2 + (frame * (panelWidth - 8)) / std::max(1, last), 6,
                    0xfde047);
        ++panel;
    });
    return canvas.WritePng(args[2]) ? 0 : 1;
}

int Stats(const std::vector<std::string>& args)
{
    std::vector<MapImage> maps;
    std::string error;
    if (args.empty() || !LoadLevelMaps(args[0], maps, error)) {
        std::fprintf(stderr, "level_planner: %s\n", error.c_str());
        return 1;
    }
    for (int level = 0; level < 8; ++level) {
        const MapImage& map = maps[static_cast<std::size_t>(level)];
        double best = 1e9;
        MapScanCounts counts;
        for (int run = 0; run < 5; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            Creature.Reset();
            World.ClearContents();
            counts = ScanMap(map.bgra.data(), kMapRowBytes, World.blocks, World.spikes, Creature.bodySystem.boxes,
                             World.startPoint, World.goalPoint);
            World.BuildMesh();
            Creature.bodySystem.boxes.MergeBoxes();
            const auto t1 = std::chrono::steady_clock::now();
            best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
        }
        std::printf("level %d %s: solid %d, scenery %d, spikes %d, scan+mesh+merge %.2f ms\n", level + 1,
                    LevelMapName(level), counts.solid, counts.scenery, counts.spikes, best);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return Usage();
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    struct Command {
        const char* name;
        int (*run)(const std::vector<std::string>&);
    };
    static const Command kCommands[] = {
        {"plan", Plan_},
        {"record", [](const std::vector<std::string>& a) { return RecordOrVerify(a, true); }},
        {"verify", [](const std::vector<std::string>& a) { return RecordOrVerify(a, false); }},
        {"checkrun", CheckRun},
        {"fullrun", FullRun},
        {"mapcheck", MapCheck},
        {"overview", Overview},
        {"strip", Strip},
        {"stats", Stats},
    };
    for (const Command& c : kCommands) {
        if (command == c.name) {
            return c.run(args);
        }
    }
    return Usage();
}
