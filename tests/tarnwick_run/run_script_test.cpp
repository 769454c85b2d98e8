#include <sstream>

#include <gtest/gtest.h>

#include "run_script.h"

namespace {

bool Parse(const std::string& text, Script& script, std::string& error)
{
    std::istringstream in(text);
    return ParseScript(in, script, error);
}

TEST(RunScript, ReadsEveryCommandWithItsFrameAndLine)
{
    Script script;
    std::string error;
    ASSERT_TRUE(
        Parse("# a comment\n"
              "\n"
              "0 pad 10 -1000 1000 -5 1 0 1 0  # trailing comment\n"
              "3 key w\n"
              "3 keydown right\n"
              "4 keyup right\n"
              "5 mouse 320 -4\n"
              "6 down\n"
              "7 up\n"
              "8 click\n"
              "9 end\n",
              script, error))
        << error;
    ASSERT_EQ(script.commands.size(), 9u);
    const ScriptCommand& pad = script.commands[0];
    EXPECT_EQ(pad.kind, CommandKind::Pad);
    EXPECT_EQ(pad.line, 3);
    EXPECT_EQ(pad.pad, (PadState{10, -1000, 1000, -5, true, false, true, false}));
    EXPECT_EQ(script.commands[1].key, ScriptKey::W);
    EXPECT_EQ(script.commands[2].kind, CommandKind::KeyDown);
    EXPECT_EQ(script.commands[2].key, ScriptKey::Right);
    EXPECT_EQ(script.commands[4].x, 320);
    EXPECT_EQ(script.commands[4].y, -4);
    EXPECT_EQ(script.commands[7].kind, CommandKind::Click);
    EXPECT_EQ(script.endFrame, 9);
    EXPECT_FALSE(script.noPad);
}

TEST(RunScript, ErrorsNameTheLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"0 pad 0 0 0 0 0 0 0\n", "line 1: pad takes 8 argument(s)"},
        {"0 pad 0 1001 0 0 0 0 0 0\n", "line 1: LY must be a whole number from -1000 to 1000, not \"1001\""},
        {"0 pad 0 0 0 0 2 0 0 0\n", "line 1: B0 must be a whole number from 0 to 1, not \"2\""},
        {"5 click\n4 click\n", "line 2: frame 4 comes after frame 5"},
        {"\n\n1 nopad\n", "line 3: nopad belongs at frame 0, before any pad line"},
        {"0 pad 0 0 0 0 0 0 0 0\n0 nopad\n", "line 2: nopad belongs at frame 0, before any pad line"},
        {"0 nopad\n1 pad 0 0 0 0 0 0 0 0\n", "line 2: pad after nopad"},
        {"0 key return\n",
         "line 1: unknown key \"return\" (escape, w, space, a, right, f1, enter, t, f, g, h, up, "
         "down, left, rctrl, rshift)"},
        {"0 jump\n", "line 1: unknown command \"jump\""},
        {"x click\n", "line 1: the frame must be a whole number from 0 to 2147483647, not \"x\""},
        {"-1 click\n", "line 1: the frame must be a whole number from 0 to 2147483647, not \"-1\""},
        {"3\n", "line 1: a command must follow the frame"},
        {"3 end\n4 click\n", "line 2: nothing may follow the end line"},
        {"0 mouse 1 2 3\n", "line 1: mouse takes 2 argument(s)"},
    };
    for (const auto& c : cases) {
        Script script;
        std::string error;
        EXPECT_FALSE(Parse(c.text, script, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(RunScript, NoPadAndCharacterKeys)
{
    Script script;
    std::string error;
    ASSERT_TRUE(Parse("0 nopad\n0 key a\n", script, error)) << error;
    EXPECT_TRUE(script.noPad);
    EXPECT_EQ(script.endFrame, -1);
    EXPECT_TRUE(KeyTypesCharacter(ScriptKey::A));
    EXPECT_TRUE(KeyTypesCharacter(ScriptKey::Space));
    EXPECT_FALSE(KeyTypesCharacter(ScriptKey::Right));
    EXPECT_FALSE(KeyTypesCharacter(ScriptKey::Escape));
}

TEST(RunScript, RecordedPadLinesReadBack)
{
    const PadState pad{-1000, 1000, 7, -7, false, true, false, true};
    const std::string line = FormatPadLine(42, pad);
    EXPECT_EQ(line, "42 pad -1000 1000 7 -7 0 1 0 1");
    Script script;
    std::string error;
    ASSERT_TRUE(Parse(line + "\n", script, error)) << error;
    EXPECT_EQ(script.commands[0].frame, 42);
    EXPECT_EQ(script.commands[0].pad, pad);
}

}  // namespace
