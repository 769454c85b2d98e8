#include "play_sim.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>

#include "creature/creature.h"
#include "map_text.h"
#include "shell/playing_step.h"
#include "shell/screen_flow.h"
#include "world/level_scan.h"
#include "world/world.h"

namespace {

constexpr float kUnreached = 1.0e9f;

void Prepare(const MapImage& map)
{
    Creature.Reset();
    World.ClearContents();
    ScanMap(map.bgra.data(), kMapRowBytes, World.blocks, World.spikes, Creature.bodySystem.boxes, World.startPoint,
            World.goalPoint);
    Creature.bodySystem.boxes.MergeBoxes();
    Creature.Place(World.startPoint);
}

}  // namespace

void CellOf(const Vector4& p, int& column, int& row)
{
    column = std::clamp(static_cast<int>(std::floor((p.x + 30.0f) / kCellSize)), 0, kMapSize - 1);
    row = std::clamp(static_cast<int>(std::floor((30.0f + kHalfCell - p.y) / kCellSize)), 0, kMapSize - 1);
}

void PlaySim::Load(const MapImage& map, int levelIndex)
{
    Prepare(map);
    // A fresh program has never steered; every later level starts from a released pad.
    if (levelIndex > 0) {
        SteerAsReleased(Creature);
    } else {
        Creature.leftSteer = Creature.rightSteer = Vector4{0.0f, 0.0f, 0.0f, 1.0f};
    }
    ramps = StickRamps{};
    frame = 0;
}

void PlaySim::LoadNext(const MapImage& map)
{
    Prepare(map);
    frame = 0;
}

PlayOutcome PlaySim::Play(const Pad& pad)
{
    ++frame;
    const SteeringInput input{pad.lx, pad.ly, pad.rx, pad.ry, pad.b4, pad.b5};
    return PlayingStep(Creature, World, input, ramps, false);
}

StepResult PlaySim::Step(const Pad& pad)
{
    const PlayOutcome outcome = Play(pad);
    return outcome.reachedGoal ? StepResult::Goal : outcome.wasDead ? StepResult::Dead : StepResult::Running;
}

PlaySnapshot PlaySim::Save() const { return PlaySnapshot{Creature.SaveMotion(), ramps, frame}; }

void PlaySim::Restore(const PlaySnapshot& s)
{
    Creature.RestoreMotion(s.creature);
    ramps = s.ramps;
    frame = s.frame;
}

Vector4 PlaySim::Position() const { return Creature.GetPosition(); }

void FlowField::Build(const MapImage& map)
{
    std::vector<bool> blocked(kMapSize * kMapSize, false);
    int goal = -1;
    for (int r = 0; r < kMapSize; ++r) {
        for (int c = 0; c < kMapSize; ++c) {
            const std::uint8_t* px = &map.bgra[static_cast<std::size_t>(r * kMapRowBytes + c * kMapPixelBytes)];
            const PixelClass k = ClassifyPixel(px[2], px[1], px[0]);
            if (k == PixelClass::Solid) {
                blocked[r * kMapSize + c] = true;
            } else if (k == PixelClass::Goal) {
                goal = r * kMapSize + c;
            }
            // A spike reaches about five cells from its own; keep the path one more away.
            const int reach = k == PixelClass::SpikeUp ? -6 : k == PixelClass::SpikeDown ? 6 : 0;
            for (int i = 0; reach != 0 && std::abs(i) <= std::abs(reach); i += reach > 0 ? 1 : -1) {
                for (int dc = -1; dc <= 1; ++dc) {
                    const int rr = r + i;
                    const int cc = c + dc;
                    if (rr >= 0 && rr < kMapSize && cc >= 0 && cc < kMapSize) {
                        blocked[rr * kMapSize + cc] = true;
                    }
                }
            }
        }
    }
    distance.assign(kMapSize * kMapSize, kUnreached);
    if (goal < 0) {
        return;
    }
    using Item = std::pair<float, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
    distance[goal] = 0.0f;
    open.push({0.0f, goal});
    while (!open.empty()) {
        const auto [d, at] = open.top();
        open.pop();
        if (d > distance[at]) {
            continue;
        }
        const int r = at / kMapSize;
        const int c = at % kMapSize;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const int rr = r + dr;
                const int cc = c + dc;
                if ((dr == 0 && dc == 0) || rr < 0 || rr >= kMapSize || cc < 0 || cc >= kMapSize) {
                    continue;
                }
                const int next = rr * kMapSize + cc;
                if (blocked[next]) {
                    continue;
                }
                const float step = (dr != 0 && dc != 0) ? 1.41421356f : 1.0f;
                if (d + step < distance[next]) {
                    distance[next] = d + step;
                    open.push({d + step, next});
                }
            }
        }
    }
}

float FlowField::At(const Vector4& p) const
{
    int c = 0;
    int r = 0;
    CellOf(p, c, r);
    float best = distance[r * kMapSize + c];
    for (int radius = 1; best >= kUnreached && radius <= 4; ++radius) {
        for (int dr = -radius; dr <= radius; ++dr) {
            for (int dc = -radius; dc <= radius; ++dc) {
                const int rr = r + dr;
                const int cc = c + dc;
                if (rr >= 0 && rr < kMapSize && cc >= 0 && cc < kMapSize) {
                    best = std::min(best, distance[rr * kMapSize + cc] + static_cast<float>(radius) * 2.0f);
                }
            }
        }
    }
    return best;
}
