// Runs the creature on a small hand-drawn room with scripted sticks and grips, and writes
// every step's particle positions (CSV) and a strip of poses (PNG) for level design.
//
//   creature_sim ROOM.txt SCRIPT.txt OUT_PREFIX [--frames N] [--panels K] [--scale PX]
//
// ROOM.txt: a picture of map cells, one text line per row, top row first. '#' is a solid
// cell, 'S' the start cell (the body is placed on its centre); anything else is empty.
// The picture sits in the middle of the 128 x 128 map, so a whole map written as text by
// the level_map tool runs unchanged; its other marks (scenery, spikes, goal) are empty here.
//
// SCRIPT.txt: one line per frame range, "first last leftX leftY rightX rightY leftGrip
// rightGrip", frames inclusive, steering already shaped (about -3..3), grips 0 or 1.
// Frames outside every range are idle with both grips released; later lines win.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "canvas.h"
#include "creature/creature.h"
#include "creature/drop_burst.h"
#include "platform/files/files.h"
#include "shell/playing_step.h"
#include "world/box.h"

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

constexpr int kMapCells = 128;
constexpr float kCell = 0.46875f;
constexpr float kHalfCell = 0.234375f;

struct Room {
    std::vector<std::string> rows;
    int width = 0;
    int firstColumn = 0;
    int firstRow = 0;
    bool hasStart = false;
    Vector4 start{0.0f, 0.0f, 0.0f, 1.0f};
};

struct ScriptLine {
    int first = 0;
    int last = 0;
    Vector4 left{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 right{0.0f, 0.0f, 0.0f, 1.0f};
    bool leftGrip = false;
    bool rightGrip = false;
};

Vector4 CellCentre(int column, int row)
{
    Vector4 p{static_cast<float>(column - 64), static_cast<float>(row - 64), 0.0f, 1.0f};
    p.Scale(kCell);
    p.x += kHalfCell;
    p.y = -p.y;
    return p;
}

bool ReadRoom(const char* path, Room& room)
{
    std::istringstream in;
    std::string why;
    if (!OpenText(path, in, why)) {
        std::fprintf(stderr, "creature_sim: room %s\n", why.c_str());
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        room.rows.push_back(line);
        room.width = std::max(room.width, static_cast<int>(line.size()));
    }
    const int height = static_cast<int>(room.rows.size());
    if (height == 0 || room.width == 0 || height > kMapCells || room.width > kMapCells) {
        std::fprintf(stderr, "room must be 1..128 cells each way (got %d x %d)\n", room.width, height);
        return false;
    }
    room.firstColumn = (kMapCells - room.width) / 2;
    room.firstRow = (kMapCells - height) / 2;
    return true;
}

char CellAt(const Room& room, int c, int r)
{
    const std::string& row = room.rows[static_cast<std::size_t>(r)];
    return c < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(c)] : ' ';
}

// The loader's scan order, columns outside and rows inside, so the merge sees the same list.
void FillBoxes(Room& room, BoxList& boxes)
{
    for (int c = 0; c < room.width; ++c) {
        for (int r = 0; r < static_cast<int>(room.rows.size()); ++r) {
            const char cell = CellAt(room, c, r);
            const Vector4 centre = CellCentre(room.firstColumn + c, room.firstRow + r);
            if (cell == '#') {
                boxes.Append(centre, kHalfCell, kHalfCell, 0);
            } else if (cell == 'S') {
                room.start = centre;
                room.hasStart = true;
            }
        }
    }
    boxes.MergeBoxes();
}

bool ReadScript(const char* path, std::vector<ScriptLine>& script)
{
    std::istringstream in;
    std::string why;
    if (!OpenText(path, in, why)) {
        std::fprintf(stderr, "creature_sim: script %s\n", why.c_str());
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
        }
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        std::istringstream fields(line);
        ScriptLine s;
        int leftGrip = 0;
        int rightGrip = 0;
        if (!(fields >> s.first >> s.last >> s.left.x >> s.left.y >> s.right.x >> s.right.y >> leftGrip >> rightGrip) ||
            s.first < 0 || s.last < s.first) {
            std::fprintf(stderr, "%s:%d: expected \"first last lx ly rx ry lgrip rgrip\"\n", path, number);
            return false;
        }
        s.leftGrip = leftGrip != 0;
        s.rightGrip = rightGrip != 0;
        script.push_back(s);
    }
    return true;
}

ScriptLine InputFor(const std::vector<ScriptLine>& script, int frame)
{
    ScriptLine input;
    for (const ScriptLine& s : script) {
        if (frame >= s.first && frame <= s.last) {
            input = s;
        }
    }
    return input;
}

struct Pose {
    int frame = 0;
    Vector4 body[5];
    Vector4 limbs[10];
    bool leftGripping = false;
    bool rightGripping = false;
};

void DrawPanel(PixelCanvas& image, int panelX, const Room& room, const BoxList& boxes, const Pose& pose, int scale)
{
    const int panelW = room.width * scale;
    const int panelH = static_cast<int>(room.rows.size()) * scale;
    image.Fill(panelX, 0, panelX + panelW, panelH, 0x1c2433);
    const float left = (static_cast<float>(room.firstColumn) - 64.0f) * kCell;
    const float top = -(static_cast<float>(room.firstRow) - 64.0f) * kCell + kHalfCell;
    const float s = static_cast<float>(scale) / kCell;
    auto px = [&](float x) { return static_cast<float>(panelX) + (x - left) * s; };
    auto py = [&](float y) { return (top - y) * s; };
    auto clip = [&](float v, int lo, int hi) { return std::clamp(static_cast<int>(v), lo, hi); };

    for (int i = 0; i < boxes.count; ++i) {
        const Box& b = boxes[i];
        const std::uint32_t colour = b.kind == kBoxAbsorbed ? 0x6b7280 : 0x9ca3af;
        image.Fill(clip(px(b.min.x), panelX, panelX + panelW), clip(py(b.max.y), 0, panelH),
                   clip(px(b.max.x), panelX, panelX + panelW), clip(py(b.min.y), 0, panelH), colour);
    }
    // Merged rectangles get their outline so the merge is visible.
    for (int i = 0; i < boxes.count; ++i) {
        const Box& b = boxes[i];
        if (b.kind == kBoxAbsorbed) {
            continue;
        }
        image.Line(px(b.min.x), py(b.max.y), px(b.max.x), py(b.max.y), 0xd1d5db);
        image.Line(px(b.min.x), py(b.min.y), px(b.min.x), py(b.max.y), 0xd1d5db);
    }

    auto line = [&](const Vector4& a, const Vector4& b, std::uint32_t colour) {
        image.Line(px(a.x), py(a.y), px(b.x), py(b.y), colour);
    };
    const Vector4* body = pose.body;
    const Vector4* limb = pose.limbs;
    // Physical skeleton, thin and dim: legs and hip triangle.
    line(body[1], body[3], 0x7f1d1d);
    line(body[2], body[4], 0x7f1d1d);
    line(body[3], body[4], 0x7f1d1d);
    line(body[3], body[0], 0x7f1d1d);
    line(body[4], body[0], 0x7f1d1d);
    // Drawn legs: foot - knee - leg top, and the antennae.
    line(body[1], limb[2], 0xf5f5f4);
    line(body[2], limb[3], 0xf5f5f4);
    line(limb[2], limb[0], 0xf5f5f4);
    line(limb[3], limb[1], 0xf5f5f4);
    line(limb[6], limb[7], 0xfbbf24);
    line(limb[8], limb[9], 0xfbbf24);
    const float unit = s;
    image.Disc(px(body[0].x), py(body[0].y + 2.5f), 0.64f * unit, 0x34d399);
    image.Disc(px(limb[7].x), py(limb[7].y), 0.2f * unit, 0xffffff);
    image.Disc(px(limb[9].x), py(limb[9].y), 0.2f * unit, 0xffffff);
    image.Disc(px(limb[2].x), py(limb[2].y), 0.15f * unit, 0xa78bfa);
    image.Disc(px(limb[3].x), py(limb[3].y), 0.15f * unit, 0xa78bfa);
    image.Disc(px(body[1].x), py(body[1].y), 0.2f * unit, pose.leftGripping ? 0xef4444 : 0x60a5fa);
    image.Disc(px(body[2].x), py(body[2].y), 0.2f * unit, pose.rightGripping ? 0xef4444 : 0x60a5fa);
    image.Disc(px(body[0].x), py(body[0].y), 0.1f * unit, 0xfca5a5);
    // Frame marker: a short bar whose length grows with the frame number.
    image.Fill(panelX + 2, 2, panelX + 2 + std::min(panelW - 4, pose.frame / 10), 5, 0xfde047);
    image.Fill(panelX + panelW - 1, 0, panelX + panelW, panelH, 0x000000);
}

int ArgInt(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 4; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == name) {
            return std::atoi(argv[i + 1]);
        }
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ROOM.txt SCRIPT.txt OUT_PREFIX [--frames N] [--panels K] [--scale PX]\n",
                     argv[0]);
        return 2;
    }
    Room room;
    std::vector<ScriptLine> script;
    if (!ReadRoom(argv[1], room) || !ReadScript(argv[2], script)) {
        return 1;
    }
    int lastScripted = 0;
    for (const ScriptLine& s : script) {
        lastScripted = std::max(lastScripted, s.last + 1);
    }
    const int frames = ArgInt(argc, argv, "--frames", std::max(lastScripted, 300));
    const int panels = std::clamp(ArgInt(argc, argv, "--panels", 8), 1, 32);
    const int scale = std::clamp(ArgInt(argc, argv, "--scale", 8), 2, 32);
    if (frames <= 0) {
        std::fprintf(stderr, "--frames must be positive\n");
        return 2;
    }

    Creature.Reset();
    FillBoxes(room, Creature.bodySystem.boxes);
    if (!room.hasStart) {
        std::fprintf(stderr, "room has no start cell 'S'\n");
        return 1;
    }
    Creature.Place(room.start);

    const std::string prefix = argv[3];
    std::FILE* csv = std::fopen((prefix + ".csv").c_str(), "w");
    if (csv == nullptr) {
        std::fprintf(stderr, "cannot write %s.csv\n", prefix.c_str());
        return 1;
    }
    static const char* const kNames[15] = {"body",           "leftFoot",         "rightFoot",      "leftHip",
                                           "rightHip",       "leftLegTop",       "rightLegTop",    "leftKnee",
                                           "rightKnee",      "leftLegFoot",      "rightLegFoot",   "leftAntennaBase",
                                           "leftAntennaTip", "rightAntennaBase", "rightAntennaTip"};
    std::fprintf(csv, "frame");
    for (const char* name : kNames) {
        std::fprintf(csv, ",%s_x,%s_y", name, name);
    }
    std::fprintf(csv, ",leftContact,rightContact,leftGripping,rightGripping,bursts\n");

    std::vector<Pose> poses;
    const int every = std::max(1, frames / panels);
    int bursts = 0;
    for (int frame = 0; frame < frames; ++frame) {
        for (CDropBurst& burst : Drops.bursts) {
            burst.Update();
        }
        Creature.Update();
        const ScriptLine input = InputFor(script, frame);
        const std::int32_t slot = Drops.nextSlot;
        SteerCreature(Creature, FootSteering{input.left, input.right, input.leftGrip, input.rightGrip}, true);
        bursts += (Drops.nextSlot - slot + kDropBurstSlots) % kDropBurstSlots;

        Pose pose;
        pose.frame = frame;
        std::fprintf(csv, "%d", frame);
        for (int i = 0; i < 5; ++i) {
            pose.body[i] = Creature.bodySystem.particles[i].position;
            std::fprintf(csv, ",%.6f,%.6f", static_cast<double>(pose.body[i].x), static_cast<double>(pose.body[i].y));
        }
        for (int i = 0; i < 10; ++i) {
            pose.limbs[i] = Creature.limbSystem.particles[i].position;
            std::fprintf(csv, ",%.6f,%.6f", static_cast<double>(pose.limbs[i].x), static_cast<double>(pose.limbs[i].y));
        }
        pose.leftGripping = Creature.leftGripping;
        pose.rightGripping = Creature.rightGripping;
        std::fprintf(csv, ",%d,%d,%d,%d,%d\n", Creature.leftFoot->contact ? 1 : 0, Creature.rightFoot->contact ? 1 : 0,
                     pose.leftGripping ? 1 : 0, pose.rightGripping ? 1 : 0, bursts);
        if ((frame + 1) % every == 0 || frame + 1 == frames) {
            if (static_cast<int>(poses.size()) < panels) {
                poses.push_back(pose);
            } else {
                poses.back() = pose;
            }
        }
    }
    std::fclose(csv);

    const int panelW = room.width * scale;
    const int panelH = static_cast<int>(room.rows.size()) * scale;
    PixelCanvas image(panelW * static_cast<int>(poses.size()), panelH);
    for (std::size_t i = 0; i < poses.size(); ++i) {
        DrawPanel(image, static_cast<int>(i) * panelW, room, Creature.bodySystem.boxes, poses[i], scale);
    }
    const std::string png = prefix + ".png";
    if (!image.WritePng(png)) {
        std::fprintf(stderr, "cannot write %s\n", png.c_str());
        return 1;
    }
    const Vector4 at = Creature.GetPosition();
    std::printf("%d frames, %zu panels, %d bursts; creature at (%.3f, %.3f); %s.csv %s\n", frames, poses.size(), bursts,
                static_cast<double>(at.x), static_cast<double>(at.y), prefix.c_str(), png.c_str());
    return 0;
}
