#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

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
        {"both feet and both grips at once",
         {kKeyT, kKeyDown, kKeyRight, kKeySpace, kKeyRightCtrl},
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
        {"the key is larger",
         {400, -700, 0, 0, false, false},
         {-1000, 0, 0, 0, false, false},
         {-1000, -700, 0, 0, false, false}},
        {"a tie keeps the controller's",
         {-1000, 0, 0, 0, false, false},
         {1000, 0, 0, 0, false, false},
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
    if (n == "Backspace") return kKeyBackspace;
    return 0;
}

TEST(KeyBindingsFile, AGoodFileRebindsWhatItNamesAndKeepsTheRest)
{
    KeyBindings bindings = DefaultKeyBindings();
    std::vector<std::string> problems;
    ASSERT_TRUE(
        ParseKeyBindings("right-foot-up = I\n  right-foot-left=J\r\nright-foot-down = K   # comment\n\n"
                         "right-foot-right = L\nright-grip = Right Ctrl",
                         LookUp, bindings, problems))
        << problems[0];
    const Held held{12, 13};
    EXPECT_EQ(SteeringFromKeys(held.keys, bindings), (SteeringInput{0, 0, -1000, -1000, false, false}));
    const Held arrows{kKeyUp};
    EXPECT_EQ(SteeringFromKeys(arrows.keys, bindings), SteeringInput{}) << "the arrows no longer steer";
    EXPECT_EQ(bindings.keys[static_cast<int>(KeyAction::LeftGrip)][0], kKeySpace) << "kept from the defaults";
}

TEST(KeyBindingsFile, EachBadLineIsNamedAndLeftOutAndTheGoodOnesApply)
{
    const int leftUp = static_cast<int>(KeyAction::LeftUp);
    const int leftDown = static_cast<int>(KeyAction::LeftDown);
    const int leftGrip = static_cast<int>(KeyAction::LeftGrip);
    const int rightGrip = static_cast<int>(KeyAction::RightGrip);
    const struct {
        const char* text;
        std::vector<std::string> problems;
        std::vector<std::pair<int, int>> changed;  // (action, first key) differing from the defaults
    } cases[] = {
        {"left-grip = Space\nleft-foot-up = Q\n", {"line 2: unknown key \"Q\""}, {}},
        {"left-foot-sideways = T\nleft-foot-up = I\n",
         {"line 1: unknown action \"left-foot-sideways\""},
         {{leftUp, 12}}},
        {"\n\nthis is not a binding\n", {"line 3: expected \"ACTION = KEY\", not \"this is not a binding\""}, {}},
        {"left-grip = I\nleft-grip = J\n", {"line 2: left-grip is bound twice"}, {{leftGrip, 12}}},
        {"left-foot-up = I\nleft-foot-down = I\n",
         {"line 2: one key for both left-foot-up and left-foot-down"},
         {{leftUp, 12}}},
        {"left-grip = Space, Space\n", {"line 1: \"Space\" is named twice"}, {}},
        {"left-grip = I, J, K\n", {"line 1: left-grip takes at most two keys"}, {}},
        {"left-grip =\n", {"line 1: a key name is missing after left-grip"}, {}},
        {"left-foot-up = Escape\nleft-foot-down = J\n", {"line 1: \"Escape\" is kept for quitting"}, {{leftDown, 13}}},
        {"left-foot-up = Backspace\n", {"line 1: \"Backspace\" is kept for the title"}, {}},
        // The file's choice wins over a default it leaves unnamed: W steers, Space grips right.
        {"left-foot-up = W\nright-grip = Space\n", {}, {{leftUp, kKeyW}, {rightGrip, kKeySpace}, {leftGrip, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        KeyBindings bindings = DefaultKeyBindings();
        std::vector<std::string> problems;
        EXPECT_EQ(ParseKeyBindings(c.text, LookUp, bindings, problems), c.problems.empty());
        EXPECT_EQ(problems, c.problems);
        KeyBindings want = DefaultKeyBindings();
        for (const auto& [action, key] : c.changed) {
            want.keys[action][0] = static_cast<std::uint16_t>(key);
            want.keys[action][1] = 0;
        }
        EXPECT_EQ(bindings, want);
    }
    EXPECT_TRUE(KeyIsBound(DefaultKeyBindings(), kKeySpace));
    EXPECT_FALSE(KeyIsBound(DefaultKeyBindings(), kKeyW));
}

}  // namespace
