#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "creature/creature.h"
#include "creature/verlet.h"
#include "map_text.h"
#include "play_sim.h"
#include "replay.h"
#include "support/temp_folder.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace {

const std::string kSource = TARNWICK_SOURCE_DIR;

MapImage Picture(const std::string& text)
{
    MapImage map;
    std::string error;
    EXPECT_TRUE(TextToMap(text, map, error));
    return map;
}

MapImage FirstLevel()
{
    MapImage map;
    EXPECT_TRUE(ReadMapImage(kSource + "/data/map1.tga", map));
    return map;
}

std::string WriteTemp(const std::string& name, const std::string& text)
{
    const std::string path = (ScratchFolder() / name).string();
    std::ofstream(path) << text;
    return path;
}

TEST(PlaySim, RestoredStateReplaysBitForBit)
{
    PlaySim sim;
    sim.Load(FirstLevel(), 0);
    const Pad walk{700, -400, 1000, 300, false, false, false, true};
    for (int i = 0; i < 40; ++i) {
        sim.Step(walk);
    }
    const PlaySnapshot mid = sim.Save();
    const Pad other{-1000, -1000, 0, 1000, false, false, true, false};
    for (int i = 0; i < 60; ++i) {
        sim.Step(other);
    }
    const Vector4 first = sim.Position();
    const std::int32_t leftRamp = sim.ramps.left;
    // A different future in between must leave no trace once the snapshot is back.
    sim.Restore(mid);
    for (int i = 0; i < 25; ++i) {
        sim.Step(walk);
    }
    sim.Restore(mid);
    for (int i = 0; i < 60; ++i) {
        sim.Step(other);
    }
    EXPECT_EQ(sim.Position().x, first.x);
    EXPECT_EQ(sim.Position().y, first.y);
    EXPECT_EQ(sim.ramps.left, leftRamp);
    EXPECT_EQ(sim.frame, 100);
}

TEST(PlaySim, LaterLevelsStartFromReleasedSteeringAndKeepItBetweenLevels)
{
    PlaySim sim;
    sim.Load(FirstLevel(), 0);
    EXPECT_EQ(Creature.leftSteer.y, 0.0f);
    sim.Load(FirstLevel(), 3);
    EXPECT_EQ(Creature.leftSteer.y, -0.3f);
    sim.Step(Pad{0, -1000, 0, 0, false, false, false, false});
    EXPECT_EQ(sim.ramps.left, 1);
    sim.LoadNext(FirstLevel());
    EXPECT_EQ(sim.ramps.left, 1);
    EXPECT_EQ(sim.frame, 0);
}

TEST(PlaySim, SpikeUnderTheStartKillsAndAGoalOnItFinishes)
{
    // Start right above an upward spike: the first step's spike test kills, and the next
    // frame reports the death.
    const MapImage deadly = Picture("S\n.\n.\n^\n");
    PlaySim sim;
    sim.Load(deadly, 1);
    EXPECT_EQ(sim.Step(Pad{}), StepResult::Running);
    EXPECT_EQ(sim.Step(Pad{}), StepResult::Dead);
    // The goal test comes first and wins over a death: a dead creature on its goal finishes.
    sim.Load(deadly, 1);
    EXPECT_EQ(sim.Step(Pad{}), StepResult::Running);
    World.goalPoint = Creature.GetPosition();
    EXPECT_EQ(sim.Step(Pad{}), StepResult::Goal);
}

// The game draws without a depth buffer. That can change no pixel only while everything it
// draws with the depth test on stays in the plane z = 0, which faces the camera: every
// level's world, and the creature however it is steered across it.
TEST(PlaySim, EveryLevelAndTheCreatureOnItStayInThePlaneOfTheScreen)
{
    const char* const maps[8] = {"map1", "map3", "map4", "map2", "map6", "map7", "map8", "map5"};
    const Pad pads[3] = {{700, -400, 1000, 300, false, false, false, true},
                         {-1000, -1000, 0, 1000, false, false, true, false},
                         {1000, 1000, -1000, -1000, false, false, true, true}};
    for (int level = 0; level < 8; ++level) {
        MapImage map;
        ASSERT_TRUE(ReadMapImage(kSource + "/data/" + maps[level] + ".tga", map));
        PlaySim sim;
        sim.Load(map, level);
        World.BuildMesh();
        ASSERT_GT(World.vertexCount, 0);
        for (std::int32_t i = 0; i < World.vertexCount; ++i) {
            ASSERT_EQ(World.mesh[i].z, 0.0f) << maps[level] << " vertex " << i;
        }
        for (int step = 0; step < 240 && sim.Step(pads[(step / 40) % 3]) == StepResult::Running; ++step) {
            const CCreature::Motion motion = Creature.SaveMotion();
            for (const VerletParticle& p : motion.body) {
                ASSERT_EQ(p.position.z, 0.0f) << maps[level] << " step " << step;
            }
            for (const VerletParticle& p : motion.limbs) {
                ASSERT_EQ(p.position.z, 0.0f) << maps[level] << " step " << step;
            }
        }
    }
}

TEST(FlowField, DistanceGrowsAwayFromTheGoalAndSpikesBlock)
{
    // Goal on the left of an open row; a spike in the lower row reaches up over the cells
    // above it, so the far right is reached only around the top.
    std::string text = "G......\n";
    const MapImage map = Picture(text);
    FlowField flow;
    flow.Build(map);
    const float atGoal = flow.At(CellCentre(0, 0));
    const float near = flow.At(CellCentre(2, 0));
    const float far = flow.At(CellCentre(6, 0));
    EXPECT_EQ(atGoal, 0.0f);
    EXPECT_LT(atGoal, near);
    EXPECT_LT(near, far);

    MapImage walled = Picture("G.#..\n..#..\n..#..\n.....\n");
    flow.Build(walled);
    // Around the wall: down three, across, up three rather than two straight steps.
    EXPECT_GT(flow.At(CellCentre(3, 0)), 4.0f);

    MapImage spiked = Picture(std::string(10, '\n') + "G....\n.....\n.....\n.....\n.....\n.....\n..^..\n");
    flow.Build(spiked);
    const float overSpike = flow.At(CellCentre(2, 15));
    const float open = flow.At(CellCentre(0, 15));
    // Straight down and across would be under 6 cells; the spike's reach makes it longer.
    EXPECT_GT(overSpike, 6.0f);
    EXPECT_LT(open, 6.0f);
}

TEST(ReplayScript, RoundTripsPadsClicksAndEnd)
{
    const std::string text =
        "1 click\n"
        "2 pad 100 -200 300 -400 0 0 1 0\n"
        "7 down\n"
        "9 up\n"
        "12 pad 0 0 0 0 0 0 0 1\n"
        "20 end\n";
    ReplayScript script;
    std::string error;
    ASSERT_TRUE(ReadReplay(WriteTemp("round.replay", text), script, error));
    EXPECT_EQ(script.end, 20);
    ASSERT_EQ(script.pads.size(), 2u);
    EXPECT_EQ(script.pads[2], (Pad{100, -200, 300, -400, false, false, true, false}));
    EXPECT_TRUE(script.pads[12].b5);
    EXPECT_EQ(script.mouse[7], "down");
    EXPECT_EQ(FormatReplay(script), text);
}

TEST(ReplayScript, KeyboardReplaysReadAsThePadsTheirKeysMake)
{
    // Key changes for a run of keyboard pads, read back: the same pads, frame by frame.
    const Pad pads[] = {
        {0, 1000, -1000, 0, false, false, false, true},
        {1000, -1000, 0, -1000, false, false, true, true},
        {-1000, 0, 1000, 1000, false, false, true, false},
        {},
    };
    std::string text = "0 nopad\n1 key space\n";
    Pad held;
    for (int i = 0; i < 4; ++i) {
        for (const std::string& line : KeyChanges(held, pads[i])) {
            text += std::to_string(2 + 10 * i) + " " + line + "\n";
        }
        held = pads[i];
    }
    text += "50 end\n";
    ReplayScript script;
    std::string error;
    ASSERT_TRUE(ReadReplay(WriteTemp("keys.replay", text), script, error)) << error;
    EXPECT_TRUE(script.noPad);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(script.pads[2 + 10 * i], pads[i]) << i << "\n" << text;
    }
    EXPECT_EQ(script.taps.count(1), 1u) << "Space starts the level";
    EXPECT_EQ(FormatReplay(script), text);

    // Played: the tap of Space leaves the title in its own frame.
    const std::vector<MapImage> maps(8, FirstLevel());
    const RunRecord run = PlayReplay(maps, script, 0, 0);
    ASSERT_EQ(run.states.size(), 2u);
    EXPECT_EQ(run.states[1], "1 playing");
}

TEST(ReplayScript, RejectsBrokenLines)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"2 pad 1 2 3 4 0 0 1\n5 end\n", "line 1: pad takes 8"},
        {"2 jump\n5 end\n", "line 1: unknown command"},
        {"2 pad 0 0 0 0 0 0 0 0\n", "no end line"},
    };
    for (const Case& c : cases) {
        ReplayScript script;
        std::string error;
        EXPECT_FALSE(ReadReplay(WriteTemp("bad.replay", c.text), script, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

std::vector<MapImage> EightCopies() { return std::vector<MapImage>(8, FirstLevel()); }

TEST(PlayReplay, ClickCountsOnlyAfterTheButtonWasSeenUp)
{
    const std::vector<MapImage> maps = EightCopies();
    ReplayScript held;
    held.mouse[0] = "down";
    held.end = 30;
    RunRecord run = PlayReplay(maps, held, 0, 0);
    ASSERT_EQ(run.states.size(), 1u);
    EXPECT_EQ(run.states[0], "0 title");

    ReplayScript clicked;
    clicked.mouse[1] = "click";
    clicked.end = 30;
    run = PlayReplay(maps, clicked, 0, 10);
    ASSERT_EQ(run.states.size(), 2u);
    EXPECT_EQ(run.states[1], "1 playing");
    // Checkpoints every 10 playing frames after the start frame.
    ASSERT_FALSE(run.checkpoints.empty());
    EXPECT_EQ(run.checkpoints[0].frame, 11);
}

TEST(CompareRecords, NamesTheLevelAndFrameWhereTheRunLeftTheRecording)
{
    RunRecord recorded;
    recorded.goals = {{0, 111}, {1, 250}};
    recorded.checkpoints = {{0, 51, 1.0f, 2.0f}, {0, 101, 3.0f, 4.0f}, {1, 163, 5.0f, 6.0f}};
    recorded.states = {"0 title", "1 playing"};

    struct Case {
        const char* name;
        void (*change)(RunRecord&);
        const char* expected;  // empty: the runs agree
    };
    const Case cases[] = {
        {"same", [](RunRecord&) {}, ""},
        {"tiny float noise", [](RunRecord& r) { r.checkpoints[1].x += 1.0e-6f; }, ""},
        {"moved in level 2", [](RunRecord& r) { r.checkpoints[2].y += 0.01f; },
         "level 2 (data/map3.tga): diverged by frame 163"},
        {"moved in level 1", [](RunRecord& r) { r.checkpoints[1].x = 0.0f; },
         "level 1 (data/map1.tga): diverged by frame 101"},
        {"stopped early", [](RunRecord& r) { r.checkpoints.pop_back(); }, "never reached the recorded frame 163"},
        {"goal later", [](RunRecord& r) { r.goals[1].second = 251; }, "goal frames differ"},
        {"other states", [](RunRecord& r) { r.states.push_back("300 retry"); }, "state sequence differs"},
    };
    for (const Case& c : cases) {
        RunRecord now = recorded;
        c.change(now);
        const std::string diff = CompareRecords(recorded, now);
        if (std::string(c.expected).empty()) {
            EXPECT_TRUE(diff.empty()) << c.name << ": " << diff;
        } else {
            EXPECT_NE(diff.find(c.expected), std::string::npos) << c.name << ": " << diff;
        }
    }
}

TEST(RunRecordFile, RoundTripsThroughText)
{
    RunRecord record;
    record.goals = {{2, 400}};
    record.states = {"0 levelup", "1 playing", "400 levelup"};
    record.checkpoints = {{2, 51, -11.953125f, -3.76846886f}};
    RunRecord back;
    std::string error;
    ASSERT_TRUE(ReadRecord(WriteTemp("record.check", FormatRecord(record)), back, error));
    EXPECT_EQ(back.goals, record.goals);
    EXPECT_EQ(back.states, record.states);
    ASSERT_EQ(back.checkpoints.size(), 1u);
    EXPECT_EQ(back.checkpoints[0].x, record.checkpoints[0].x);
    EXPECT_EQ(back.checkpoints[0].y, record.checkpoints[0].y);
    EXPECT_TRUE(CompareRecords(record, back).empty());
}

}  // namespace

namespace {

// Cells reachable from the start through anything but solid blocks (side neighbours only:
// blocks that meet at a corner leave no gap).
std::vector<bool> ReachableFromStart(const MapImage& map, int startColumn, int startRow)
{
    std::vector<bool> seen(kMapSize * kMapSize, false);
    std::vector<int> open{startRow * kMapSize + startColumn};
    seen[static_cast<std::size_t>(open[0])] = true;
    while (!open.empty()) {
        const int at = open.back();
        open.pop_back();
        const int r = at / kMapSize;
        const int c = at % kMapSize;
        const int next[4][2] = {{c + 1, r}, {c - 1, r}, {c, r + 1}, {c, r - 1}};
        for (const auto& n : next) {
            if (n[0] < 0 || n[0] >= kMapSize || n[1] < 0 || n[1] >= kMapSize) {
                continue;
            }
            const int i = n[1] * kMapSize + n[0];
            const std::uint8_t* px = &map.bgra[static_cast<std::size_t>(n[1] * kMapRowBytes + n[0] * kMapPixelBytes)];
            if (!seen[static_cast<std::size_t>(i)] && ClassifyPixel(px[2], px[1], px[0]) != PixelClass::Solid) {
                seen[static_cast<std::size_t>(i)] = true;
                open.push_back(i);
            }
        }
    }
    return seen;
}

TEST(LevelMaps, ReachFollowsOpenCellsOnly)
{
    // A room with a gap in its right wall leaks to the map's edge; a closed one does not.
    const std::vector<bool> leaking = ReachableFromStart(Picture("####\n#S..\n####\n"), 1, 1);
    EXPECT_TRUE(leaking[1 * kMapSize + 127]);
    const std::vector<bool> closed = ReachableFromStart(Picture("####\n#S.#\n####\n"), 1, 1);
    EXPECT_FALSE(closed[1 * kMapSize + 127]);
    EXPECT_TRUE(closed[1 * kMapSize + 2]);
    // Blocks meeting at a corner leave no way through.
    const std::vector<bool> corner = ReachableFromStart(Picture("###\n#S#\n##.\n"), 1, 1);
    EXPECT_FALSE(corner[2 * kMapSize + 2]);
}

TEST(LevelMaps, EachHasOneStartOneGoalSceneryAndAClosedBoundary)
{
    for (int level = 0; level < 8; ++level) {
        const std::string name = LevelMapName(level);
        MapImage map;
        ASSERT_TRUE(ReadMapImage(kSource + "/" + name, map));
        int starts = 0, goals = 0, scenery = 0, startColumn = 0, startRow = 0, goalIndex = 0;
        for (int r = 0; r < kMapSize; ++r) {
            for (int c = 0; c < kMapSize; ++c) {
                const std::uint8_t* px = &map.bgra[static_cast<std::size_t>(r * kMapRowBytes + c * kMapPixelBytes)];
                const PixelClass k = ClassifyPixel(px[2], px[1], px[0]);
                starts += k == PixelClass::Start ? 1 : 0;
                goals += k == PixelClass::Goal ? 1 : 0;
                scenery += k == PixelClass::Scenery ? 1 : 0;
                if (k == PixelClass::Start) {
                    startColumn = c;
                    startRow = r;
                } else if (k == PixelClass::Goal) {
                    goalIndex = r * kMapSize + c;
                }
            }
        }
        EXPECT_EQ(starts, 1) << name;
        EXPECT_EQ(goals, 1) << name;
        EXPECT_GT(scenery, 20) << name << ": decorations";
        const std::vector<bool> reach = ReachableFromStart(map, startColumn, startRow);
        EXPECT_TRUE(reach[static_cast<std::size_t>(goalIndex)]) << name << ": goal walled off";
        for (int i = 0; i < kMapSize; ++i) {
            // Nothing reachable on the map's edge: the creature cannot leave the world.
            EXPECT_FALSE(reach[static_cast<std::size_t>(i)] || reach[static_cast<std::size_t>(127 * kMapSize + i)] ||
                         reach[static_cast<std::size_t>(i * kMapSize)] ||
                         reach[static_cast<std::size_t>(i * kMapSize + 127)])
                << name << ": open to the edge near " << i;
        }
    }
}

}  // namespace
