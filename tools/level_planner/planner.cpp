#include "planner.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "creature/creature.h"
#include "math/random.h"

namespace {

// The tree keeps only the inputs; snapshots live just for the states in the beam.
struct Node {
    std::int32_t parent = -1;
    Pad pad;
    std::int32_t frames = 0;
    float score = 0.0f;
};

constexpr std::int32_t kAxisSteps[] = {-1000, -700, -400, 0, 400, 700, 1000};

std::int32_t RandomAxis() { return kAxisSteps[Rand() % static_cast<int>(std::size(kAxisSteps))]; }

// A held key pushes its axis fully; opposite keys cancel.
std::int32_t RandomKeyAxis() { return (Rand() % 3 - 1) * 1000; }

Pad RandomPad(const Pad& previous, bool grips, bool keys, bool oneFoot)
{
    auto axis = keys ? RandomKeyAxis : RandomAxis;
    // Often keep one foot's input and change the other: walking and climbing alternate feet.
    Pad p = previous;
    const int pick = Rand() % (oneFoot ? 2 : 4);
    if (pick != 1) {
        p.lx = axis();
        p.ly = axis();
        p.b4 = Rand() % 3 == 0;
    }
    if (pick != 0) {
        p.rx = axis();
        p.ry = axis();
        p.b5 = Rand() % 3 == 0;
    }
    if (!oneFoot && Rand() % 8 == 0) {
        p = Pad{};
    }
    p.b4 = p.b4 && grips;
    p.b5 = p.b5 && grips;
    return p;
}

std::uint64_t AreaKey(const Vector4& at)
{
    int c = 0;
    int r = 0;
    CellOf(at, c, r);
    const std::uint64_t grips = (Creature.leftGripping ? 1u : 0u) | (Creature.rightGripping ? 2u : 0u);
    return (static_cast<std::uint64_t>(c / 2) << 20) | (static_cast<std::uint64_t>(r / 2) << 4) | grips;
}

}  // namespace

Plan PlanLevel(const MapImage& map, std::int32_t levelIndex, const PlanOptions& options)
{
    SetRandState(options.seed);
    FlowField flow;
    flow.Build(map);
    PlaySim sim;
    sim.Load(map, levelIndex);

    std::vector<Node> nodes;
    nodes.push_back(Node{-1, Pad{}, 0, flow.At(sim.Position())});
    std::vector<std::int32_t> beam{0};
    std::vector<PlaySnapshot> beamStates{sim.Save()};
    Plan plan;
    plan.bestDistance = nodes[0].score;
    std::int32_t goalNode = -1;
    std::int32_t goalFrame = 0;

    for (std::int32_t round = 0; goalNode < 0 && round * options.hold < options.maxFrames; ++round) {
        std::vector<std::int32_t> children;
        std::vector<PlaySnapshot> childStates;
        for (std::size_t b = 0; b < beam.size(); ++b) {
            const std::int32_t parent = beam[b];
            for (std::int32_t e = 0; e < options.expansions && goalNode < 0; ++e) {
                const Pad pad = RandomPad(nodes[static_cast<std::size_t>(parent)].pad, options.grips, options.keys,
                                          options.oneFoot);
                sim.Restore(beamStates[b]);
                StepResult result = StepResult::Running;
                std::int32_t f = 0;
                for (; f < options.hold && result == StepResult::Running; ++f) {
                    result = sim.Step(pad);
                }
                if (result == StepResult::Dead) {
                    continue;
                }
                nodes.push_back(Node{parent, pad, f, flow.At(sim.Position())});
                childStates.push_back(sim.Save());
                const auto index = static_cast<std::int32_t>(nodes.size() - 1);
                if (result == StepResult::Goal) {
                    goalNode = index;
                    goalFrame = sim.frame;
                }
                children.push_back(index);
            }
        }
        if (goalNode >= 0 || children.empty()) {
            break;
        }
        std::vector<std::size_t> order(children.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return nodes[static_cast<std::size_t>(children[a])].score <
                   nodes[static_cast<std::size_t>(children[b])].score;
        });
        beam.clear();
        beamStates.clear();
        std::unordered_set<std::uint64_t> areas;
        for (std::size_t i : order) {
            sim.Restore(childStates[i]);
            if (areas.insert(AreaKey(sim.Position())).second) {
                beam.push_back(children[i]);
                beamStates.push_back(childStates[i]);
                if (static_cast<std::int32_t>(beam.size()) >= options.beam) {
                    break;
                }
            }
        }
        plan.bestDistance = std::min(plan.bestDistance, nodes[static_cast<std::size_t>(beam[0])].score);
        if (round % 10 == 0) {
            std::fprintf(stderr, "round %d: best distance %.1f cells, %zu nodes\n", round,
                         static_cast<double>(nodes[static_cast<std::size_t>(beam[0])].score), nodes.size());
        }
    }
    if (goalNode < 0) {
        return plan;
    }
    std::vector<std::int32_t> path;
    for (std::int32_t n = goalNode; n > 0; n = nodes[static_cast<std::size_t>(n)].parent) {
        path.push_back(n);
    }
    std::reverse(path.begin(), path.end());
    for (std::int32_t n : path) {
        const Node& node = nodes[static_cast<std::size_t>(n)];
        plan.pads.insert(plan.pads.end(), static_cast<std::size_t>(node.frames), node.pad);
    }
    plan.pads.resize(static_cast<std::size_t>(goalFrame));
    plan.found = true;
    plan.goalFrame = goalFrame;
    plan.bestDistance = 0.0f;
    return plan;
}
