#include "replay.h"

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "creature/creature.h"
#include "platform/files/files.h"
#include "shell/key_steering.h"
#include "shell/screen_flow.h"
#include "world/world.h"

namespace {

// A tool's input is read whole, and only if it is a regular file: a FIFO or device given by
// mistake is refused at once instead of waited on.
bool OpenText(const std::string& path, std::istringstream& in, std::string& why)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadRegularFile(path.c_str(), 1ull << 30, &bytes, &why)) {
        return false;
    }
    in.str(std::string(bytes.begin(), bytes.end()));
    return true;
}

// Positions are written with 9 significant digits, so any change in the float arithmetic
// of the step shows, while the text stays readable.
constexpr float kSameTolerance = 1.0e-5f;

}  // namespace

bool ReadReplay(const std::string& path, ReplayScript& script, std::string& error)
{
    std::istringstream in;
    if (!OpenText(path, in, error)) {
        return false;
    }
    // The runner's own parser, so a replay means here exactly what it means to the game.
    Script parsed;
    if (!ParseScript(in, parsed, error)) {
        error = path + ":" + error;
        return false;
    }
    const KeyBindings bindings = DefaultKeyBindings();
    bool held[kKeyPositionCount] = {};
    Pad controller;
    // The pad a frame reads: the controller's and the held keys' combined as the game does.
    auto combined = [&]() {
        SteeringInput pad{controller.lx, controller.ly, controller.rx, controller.ry, controller.b4, controller.b5};
        const SteeringInput s = CombineSteering(pad, SteeringFromKeys(held, bindings));
        return Pad{s.lx, s.ly, s.rx, s.ry, controller.b0, controller.b1, s.leftGrip, s.rightGrip};
    };
    script.noPad = parsed.noPad;
    for (const ScriptCommand& c : parsed.commands) {
        const auto frame = static_cast<std::int32_t>(c.frame);
        switch (c.kind) {
        case CommandKind::Pad:
            controller = c.pad;
            script.pads[frame] = combined();
            break;
        case CommandKind::Key:
        case CommandKind::KeyDown:
        case CommandKind::KeyUp: {
            const char* verb =
                c.kind == CommandKind::Key ? "key" : (c.kind == CommandKind::KeyDown ? "keydown" : "keyup");
            script.keys.emplace(frame, std::string(verb) + " " + KeyName(c.key));
            if (c.kind == CommandKind::KeyDown) {
                held[KeyPosition(c.key)] = true;
            } else if (c.kind == CommandKind::KeyUp) {
                held[KeyPosition(c.key)] = false;
            }
            if (c.kind != CommandKind::KeyUp && KeyAdvancesScreens(KeyPosition(c.key))) {
                script.taps.insert(frame);
            }
            script.pads[frame] = combined();
            break;
        }
        case CommandKind::Click: script.mouse[frame] = "click"; break;
        case CommandKind::Down: script.mouse[frame] = "down"; break;
        case CommandKind::Up: script.mouse[frame] = "up"; break;
        default: break;
        }
    }
    if (parsed.endFrame <= 0) {
        error = path + ": no end line";
        return false;
    }
    script.end = static_cast<std::int32_t>(parsed.endFrame);
    return true;
}

std::string FormatReplay(const ReplayScript& script)
{
    std::ostringstream out;
    for (const std::string& c : script.comments) {
        out << c << "\n";
    }
    // Mouse, then keys, then the pad, frame by frame; with nopad the pads are the keys'.
    std::multimap<std::int32_t, std::string> lines;
    if (script.noPad) {
        lines.emplace(0, "0 nopad");
    }
    for (const auto& [frame, what] : script.mouse) {
        lines.emplace(frame, std::to_string(frame) + " " + what);
    }
    for (const auto& [frame, what] : script.keys) {
        lines.emplace(frame, std::to_string(frame) + " " + what);
    }
    if (!script.noPad) {
        for (const auto& [frame, pad] : script.pads) {
            lines.emplace(frame, FormatPadLine(frame, pad));
        }
    }
    for (const auto& [frame, line] : lines) {
        out << line << "\n";
    }
    out << script.end << " end\n";
    return out.str();
}

std::vector<std::string> KeyChanges(const Pad& from, const Pad& to)
{
    // Each steering key with the part of a pad that holds it.
    const struct {
        const char* name;
        bool (*wanted)(const Pad&);
    } kSteeringKeys[] = {
        {"t", [](const Pad& p) { return p.ly < 0; }},     {"g", [](const Pad& p) { return p.ly > 0; }},
        {"f", [](const Pad& p) { return p.lx < 0; }},     {"h", [](const Pad& p) { return p.lx > 0; }},
        {"space", [](const Pad& p) { return p.b4; }},     {"up", [](const Pad& p) { return p.ry < 0; }},
        {"down", [](const Pad& p) { return p.ry > 0; }},  {"left", [](const Pad& p) { return p.rx < 0; }},
        {"right", [](const Pad& p) { return p.rx > 0; }}, {"rctrl", [](const Pad& p) { return p.b5; }},
    };
    std::vector<std::string> lines;
    for (const auto& key : kSteeringKeys) {
        if (key.wanted(from) && !key.wanted(to)) {
            lines.push_back(std::string("keyup ") + key.name);
        }
    }
    for (const auto& key : kSteeringKeys) {
        if (!key.wanted(from) && key.wanted(to)) {
            lines.push_back(std::string("keydown ") + key.name);
        }
    }
    return lines;
}

bool LoadLevelMaps(const std::string& dataDir, std::vector<MapImage>& maps, std::string& error)
{
    maps.assign(8, MapImage{});
    for (int level = 0; level < 8; ++level) {
        const std::string path = dataDir + "/" + std::string(LevelMapName(level)).substr(5);
        if (!ReadMapImage(path, maps[static_cast<std::size_t>(level)])) {
            error = path + ": the game refuses this map";
            return false;
        }
    }
    return true;
}

RunRecord PlayReplay(const std::vector<MapImage>& maps, const ReplayScript& script, std::int32_t startLevel,
                     std::int32_t checkpointEvery,
                     const std::function<void(std::int32_t frame, std::int32_t level)>& onFrame)
{
    RunRecord record;
    PlaySim sim;
    GameSession session;
    Creature.Reset();
    if (startLevel > 0) {
        ArriveAtLevel(session, Creature, startLevel);
    }
    bool clickHeld = false;
    Pad pad;
    bool buttonHeld = false;
    std::int32_t levelStart = 0;
    Screen recorded = session.screen;
    record.states.push_back(std::string("0 ") + ScreenName(recorded));

    for (std::int32_t frame = 0; frame < script.end; ++frame) {
        if (auto p = script.pads.find(frame); p != script.pads.end()) {
            pad = p->second;
        }
        if (auto m = script.mouse.find(frame); m != script.mouse.end()) {
            clickHeld = m->second != "up";
        } else if (auto previous = script.mouse.find(frame - 1);
                   previous != script.mouse.end() && previous->second == "click") {
            clickHeld = false;
        }
        CheckGameEnd(session);
        if (session.screen == Screen::Playing) {
            const std::int32_t level = session.levelCounter;
            AfterPlayingStep(session, sim.Play(pad));
            if (session.screen == Screen::Retry) {
                record.deaths.push_back("level " + std::to_string(level) + " died by frame " + std::to_string(frame));
            }
            const bool goal = session.levelCounter != level;
            if (goal) {
                record.goals.push_back({level, frame});
            }
            const Vector4 at = Creature.GetPosition();
            if (goal || (checkpointEvery > 0 && (frame - levelStart) % checkpointEvery == 0)) {
                record.checkpoints.push_back({level, frame, at.x, at.y});
            }
            if (onFrame) {
                onFrame(frame, level);
            }
        } else {
            // The screens hold the creature at rest; its steering carries into the next level.
            Creature.Reset();
            ScreenPresses presses;
            presses.clickHeld = clickHeld;
            presses.keyTapped = script.taps.count(frame) != 0;
            presses.buttonTapped = pad.b0 && !buttonHeld;
            if (StepScreen(session, presses) != ScreenChange::None) {
                sim.LoadNext(maps[static_cast<std::size_t>(std::clamp(session.levelCounter, 0, 7))]);
                levelStart = frame;
            }
        }
        buttonHeld = pad.b0;
        if (session.screen != recorded) {
            recorded = session.screen;
            record.states.push_back(std::to_string(frame) + " " + ScreenName(recorded));
        }
    }
    return record;
}

std::string FormatRecord(const RunRecord& record)
{
    std::ostringstream out;
    out << "# Recorded by level_planner: goal frames and creature positions of this replay.\n";
    for (const auto& [level, frame] : record.goals) {
        out << "goal " << level << " " << frame << "\n";
    }
    for (const std::string& s : record.states) {
        out << "state " << s << "\n";
    }
    char buffer[96];
    for (const Checkpoint& c : record.checkpoints) {
        std::snprintf(buffer, sizeof buffer, "pos %d %d %.9g %.9g\n", c.level, c.frame, static_cast<double>(c.x),
                      static_cast<double>(c.y));
        out << buffer;
    }
    return out.str();
}

bool ReadRecord(const std::string& path, RunRecord& record, std::string& error)
{
    std::istringstream in;
    if (!OpenText(path, in, error)) {
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "goal") {
            std::int32_t level = 0, frame = 0;
            fields >> level >> frame;
            record.goals.push_back({level, frame});
        } else if (kind == "state") {
            std::string frame, name;
            fields >> frame >> name;
            record.states.push_back(frame + " " + name);
        } else if (kind == "pos") {
            Checkpoint c;
            fields >> c.level >> c.frame >> c.x >> c.y;
            record.checkpoints.push_back(c);
        }
        if (!kind.empty() && kind[0] != '#' && !fields) {
            error = path + ": bad line '" + line + "'";
            return false;
        }
    }
    return true;
}

bool RecordFromRunner(const std::string& csvPath, const std::string& eventsPath, std::int32_t startLevel,
                      const RunRecord& recorded, RunRecord& record, std::string& error)
{
    std::istringstream csv;
    std::istringstream events;
    if (!OpenText(csvPath, csv, error) || !OpenText(eventsPath, events, error)) {
        return false;
    }
    // frame,state,level,alive,body_x,body_y,...: the creature's position is 2 above the body.
    std::map<std::int32_t, std::pair<float, float>> bodies;
    std::string line;
    std::getline(csv, line);
    while (std::getline(csv, line)) {
        std::int32_t frame = 0, state = 0, level = 0, alive = 0;
        float x = 0.0f, y = 0.0f;
        if (std::sscanf(line.c_str(), "%d,%d,%d,%d,%f,%f", &frame, &state, &level, &alive, &x, &y) == 6) {
            bodies[frame] = {x, y};
        }
    }
    for (const Checkpoint& want : recorded.checkpoints) {
        const auto at = bodies.find(want.frame);
        if (at == bodies.end()) {
            break;
        }
        record.checkpoints.push_back({want.level, want.frame, at->second.first, at->second.second + 2.0f});
    }
    auto name = [](std::int32_t state) { return ScreenName(ScreenFromNumber(state)); };
    std::int32_t state = startLevel == 0 ? 0 : 1;
    std::int32_t level = startLevel;
    record.states.push_back(std::string("0 ") + name(state));
    std::getline(events, line);
    while (std::getline(events, line)) {
        std::int32_t frame = 0, newState = 0, newLevel = 0;
        if (std::sscanf(line.c_str(), "%d,%d,%d", &frame, &newState, &newLevel) != 3) {
            continue;
        }
        if (newLevel == level + 1) {
            record.goals.push_back({level, frame});
        }
        if (newState != state) {
            record.states.push_back(std::to_string(frame) + " " + name(newState));
        }
        state = newState;
        level = newLevel;
    }
    return true;
}

std::string CompareRecords(const RunRecord& recorded, const RunRecord& now)
{
    auto levelName = [](std::int32_t level) {
        return "level " + std::to_string(level + 1) + " (" + std::string(LevelMapName(level)) + ")";
    };
    // Positions first: they show where the run left the recorded path, before any goal moved.
    for (std::size_t i = 0; i < recorded.checkpoints.size(); ++i) {
        const Checkpoint& want = recorded.checkpoints[i];
        if (i >= now.checkpoints.size() || now.checkpoints[i].frame != want.frame ||
            now.checkpoints[i].level != want.level) {
            return levelName(want.level) + ": the run never reached the recorded frame " + std::to_string(want.frame) +
                   " of this level";
        }
        const Checkpoint& got = now.checkpoints[i];
        if (std::fabs(got.x - want.x) > kSameTolerance || std::fabs(got.y - want.y) > kSameTolerance) {
            char buffer[256];
            std::snprintf(buffer, sizeof buffer, ": diverged by frame %d: recorded (%.6g, %.6g), now (%.6g, %.6g)",
                          want.frame, static_cast<double>(want.x), static_cast<double>(want.y),
                          static_cast<double>(got.x), static_cast<double>(got.y));
            return levelName(want.level) + buffer;
        }
    }
    if (recorded.goals != now.goals) {
        std::string line = "goal frames differ: recorded";
        for (const auto& [level, frame] : recorded.goals) {
            line += " " + std::to_string(level + 1) + "@" + std::to_string(frame);
        }
        line += ", now";
        for (const auto& [level, frame] : now.goals) {
            line += " " + std::to_string(level + 1) + "@" + std::to_string(frame);
        }
        return line;
    }
    if (recorded.states != now.states) {
        return "state sequence differs from the recorded one";
    }
    return {};
}
