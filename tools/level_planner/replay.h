#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "map_text.h"
#include "math/vector.h"
#include "play_sim.h"

// An input script of the headless runner, read with the runner's parser: the pads, the
// steering keys, the presses that advance the screens and the end. Mouse moves play no part
// in the levels and are dropped.
struct ReplayScript {
    // What the playing frames read from this frame on: the pad and the held keys combined
    // as the game combines them (the keys alone with nopad).
    std::map<std::int32_t, Pad> pads;
    std::map<std::int32_t, std::string> mouse;      // frame -> "click", "down" or "up"
    std::multimap<std::int32_t, std::string> keys;  // frame -> "keydown t", in file order
    std::set<std::int32_t> taps;                    // frames before which a key that advances the screens went down
    bool noPad = false;
    std::int32_t end = 0;
    std::vector<std::string> comments;  // written at the top, '#' included
};

// The key lines that take the keyboard from holding what makes `from` to what makes `to`
// with the default keys (steering axes are full or centred).
std::vector<std::string> KeyChanges(const Pad& from, const Pad& to);

bool ReadReplay(const std::string& path, ReplayScript& script, std::string& error);
std::string FormatReplay(const ReplayScript& script);

// One recorded point of a run: which level was being played, the frame of the whole run,
// and the creature's position after that frame's step.
struct Checkpoint {
    std::int32_t level = 0;
    std::int32_t frame = 0;
    float x = 0.0f;
    float y = 0.0f;
};

struct RunRecord {
    std::vector<Checkpoint> checkpoints;
    // Frame at which LevelCounter rose, per level index reached.
    std::vector<std::pair<std::int32_t, std::int32_t>> goals;  // (level, frame)
    // Every state change as "frame state", states named as the game names them.
    std::vector<std::string> states;
    std::vector<std::string> deaths;
};

// The maps of the eight levels in play order, read from a data folder.
bool LoadLevelMaps(const std::string& dataDir, std::vector<MapImage>& maps, std::string& error);

// Plays a script from the level-up screen of `startLevel` (0: the title screen) through
// the screens and playing frames, as the frame driver orders them. `onFrame`, if given,
// sees every playing frame after its step.
RunRecord PlayReplay(const std::vector<MapImage>& maps, const ReplayScript& script, std::int32_t startLevel,
                     std::int32_t checkpointEvery,
                     const std::function<void(std::int32_t frame, std::int32_t level)>& onFrame = {});

// Checkpoint file: "goal LEVEL FRAME" and "pos LEVEL FRAME X Y" lines.
std::string FormatRecord(const RunRecord& record);
bool ReadRecord(const std::string& path, RunRecord& record, std::string& error);

// What the headless runner wrote for a run (--csv and --events files), turned into a
// record: the positions at the frames `recorded` has checkpoints for, the goal frames and
// the state changes.
bool RecordFromRunner(const std::string& csvPath, const std::string& eventsPath, std::int32_t startLevel,
                      const RunRecord& recorded, RunRecord& record, std::string& error);

// Empty when the run matches the recording; else one line naming the level (and its map
// file) and the first frame at which the run left the recorded one.
std::string CompareRecords(const RunRecord& recorded, const RunRecord& now);
