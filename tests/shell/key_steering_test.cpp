#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "shell/key_steering.h"

namespace {

struct Held {
    bool keys[kKeyPositionCount] = {};
    Held(std::initializer_list<int> positions)
    {
        for (int p : positions) keys[p] = true;
    }
};

TEST(KeySteering, DefaultKeysMakeBothSticksAndBothGrips)
{
    const struct {
        const char* name;
        Held held;
        SteeringInput want;
    } cases[] = {
        {"nothing", {}, {0, 0, 0, 0, false, false}},
        {"left foot up and right", {kKeyT, kKeyH}, {1000, -1000, 0, 0, false, false}},
        {"left foot down and left", {kKeyG, kKeyF}, {-1000, 1000, 0, 0, false, false}},
        {"opposite keys cancel", {kKeyF, kKeyH, kKeyT, kKeyG}, {0, 0, 0, 0, false, false}},
        {"right foot on the arrows", {kKeyUp, kKeyLeft}, {0, 0, -1000, -1000, false, false}},
        {"both feet and both grips at once", {kKeyT, kKeyDown, kKeyRight, kKeySpace, kKeyRightCtrl},
         {0, -1000, 1000, 1000, true, true}},
        {"Right Shift grips too", {kKeyRightShift}, {0, 0, 0, 0, false, true}},
        {"W and Esc steer nothing", {kKeyW, kKeyEscape}, {0, 0, 0, 0, false, false}},
    };
    const KeyBindings bindings = DefaultKeyBindings();
    for (const auto& c : cases) {
        EXPECT_EQ(SteeringFromKeys(c.held.keys, bindings), c.want) << c.name;
    }
}

TEST(KeySteering, KeysAndControllerCombineByTheLargerDeflectionPerAxis)
{
    const struct {
        const char* name;
        SteeringInput controller;
        SteeringInput keys;
        SteeringInput want;
    } cases[] = {
        {"no key: the controller exactly", {-400, 700, 1, -999, true, false}, {}, {-400, 700, 1, -999, true, false}},
        {"keys alone", {}, {1000, -1000, 0, 1000, false, true}, {1000, -1000, 0, 1000, false, true}},
        {"the key is larger", {400, -700, 0, 0, false, false}, {-1000, 0, 0, 0, false, false},
         {-1000, -700, 0, 0, false, false}},
        {"a tie keeps the controller's", {-1000, 0, 0, 0, false, false}, {1000, 0, 0, 0, false, false},
         {-1000, 0, 0, 0, false, false}},
        {"grips: either", {0, 0, 0, 0, true, false}, {0, 0, 0, 0, false, true}, {0, 0, 0, 0, true, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CombineSteering(c.controller, c.keys), c.want) << c.name;
    }
}

// US names as the platform reads them, for the parser alone.
int LookUp(const char* name)
{
    const std::string n = name;
    if (n == "T") return kKeyT;
    if (n == "I") return 12;
    if (n == "J") return 13;
    if (n == "K") return 14;
    if (n == "L") return 15;
    if (n == "Space") return kKeySpace;
    if (n == "Right Ctrl") return kKeyRightCtrl;
    if (n == "W") return kKeyW;
    if (n == "Escape") return kKeyEscape;
    return 0;
}

TEST(KeyBindingsFile, AGoodFileRebindsWhatItNamesAndKeepsTheRest)
{
    KeyBindings bindings = DefaultKeyBindings();
    std::string problem;
    ASSERT_TRUE(ParseKeyBindings("right-foot-up = I\n  right-foot-left=J\r\nright-foot-down = K   # comment\n\n"
                                 "right-foot-right = L\nright-grip = Right Ctrl",
                                 LookUp, bindings, problem))
        << problem;
    const Held held{12, 13};
    EXPECT_EQ(SteeringFromKeys(held.keys, bindings), (SteeringInput{0, 0, -1000, -1000, false, false}));
    const Held arrows{kKeyUp};
    EXPECT_EQ(SteeringFromKeys(arrows.keys, bindings), SteeringInput{}) << "the arrows no longer steer";
    EXPECT_EQ(bindings.keys[static_cast<int>(KeyAction::LeftGrip)][0], kKeySpace) << "kept from the defaults";
}

TEST(KeyBindingsFile, ABadFileNamesTheLineAndChangesNothing)
{
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"left-grip = Space\nleft-foot-up = Q\n", "line 2: unknown key \"Q\""},
        {"left-foot-sideways = T\n", "line 1: unknown action \"left-foot-sideways\""},
        {"\n\nthis is not a binding\n", "line 3: expected \"ACTION = KEY\", not \"this is not a binding\""},
        {"left-grip = Space\nleft-grip = T\n", "line 2: left-grip is bound twice"},
        {"right-grip = Space\n", "line 1: one key for both left-grip and right-grip"},
        {"left-foot-up = I\nleft-foot-down = I\n", "line 2: one key for both left-foot-up and left-foot-down"},
        {"left-grip = Space, Space\n", "line 1: one key for both left-grip and left-grip"},
        {"left-grip = I, J, K\n", "line 1: left-grip takes at most two keys"},
        {"left-grip =\n", "line 1: a key name is missing after left-grip"},
        {"left-foot-up = W\n", "line 1: \"W\" is kept for the title"},
        {"left-foot-up = Escape\n", "line 1: \"Escape\" is kept for quitting"},
    };
    for (const auto& c : cases) {
        KeyBindings bindings = DefaultKeyBindings();
        std::string problem;
        EXPECT_FALSE(ParseKeyBindings(c.text, LookUp, bindings, problem)) << c.text;
        EXPECT_EQ(problem, c.problem);
        EXPECT_EQ(bindings, DefaultKeyBindings()) << c.text;
    }
}

}  // namespace
