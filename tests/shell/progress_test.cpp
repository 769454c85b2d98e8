#include "shell/progress.h"

#include <gtest/gtest.h>

namespace {

Progress Sample()
{
    Progress p;
    p.reached = 5;
    p.bestFrames[0] = 131;
    p.bestFrames[4] = 2000;
    return p;
}

TEST(Progress, WhatIsWrittenReadsBackTheSame)
{
    for (const Progress& p : {Progress{}, Sample()}) {
        Progress read;
        std::string problem;
        ASSERT_TRUE(ParseProgress(FormatProgress(p), read, problem)) << problem;
        EXPECT_EQ(read, p);
    }
    EXPECT_EQ(FormatProgress(Sample()), "tarnwick progress 1\nreached 6\nbest 1 131\nbest 5 2000\nend\n");
}

TEST(Progress, TextThatIsNoProgressFileGivesAnEmptyRecord)
{
    const struct {
        const char* name;
        std::string text;
        const char* problem;
    } cases[] = {
        {"empty", "", "empty"},
        {"foreign", "[settings]\nvolume=3\n", "line 1: not a progress file"},
        {"cut short", "tarnwick progress 1\nreached 3\nbest 1 13", "cut short (no end line)"},
        {"a level past the last", "tarnwick progress 1\nreached 9\nend\n", "line 2: no such level: 9"},
        {"an absurd level", "tarnwick progress 1\nreached 4294967301\nend\n", "line 2: no such level: 4294967301"},
        {"level 0", "tarnwick progress 1\nbest 0 100\nend\n", "line 2: no such level: 0"},
        {"no time", "tarnwick progress 1\nbest 2 0\nend\n", "line 2: no such time: 0"},
        {"a time past an hour", "tarnwick progress 1\nbest 2 216001\nend\n", "line 2: no such time: 216001"},
        {"a sign", "tarnwick progress 1\nbest 2 +50\nend\n", "line 2: no such time: +50"},
        {"garbage", "tarnwick progress 1\n\x01\x02\xff\nend\n", "line 2: not understood"},
        {"after the end", "tarnwick progress 1\nend\nreached 2\n", "line 3: text after the end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Progress read = Sample();
        std::string problem;
        EXPECT_FALSE(ParseProgress(c.text, read, problem));
        EXPECT_EQ(problem, c.problem);
        EXPECT_EQ(read, Progress{});
    }
}

TEST(Progress, TheGoalRecordsTheBestAndTheFurthestLevel)
{
    GameSession s;
    s.screen = Screen::Playing;
    s.levelCounter = 2;
    for (int f = 0; f < 99; ++f) {
        AfterPlayingStep(s, PlayOutcome{});
    }
    AfterPlayingStep(s, PlayOutcome{false, true});
    EXPECT_EQ(s.bestFrames[2], 100);
    EXPECT_EQ(s.reachedLevel, 3);
    const Progress p = ProgressOf(s);
    EXPECT_EQ(p.reached, 3);
    EXPECT_EQ(p.bestFrames[2], 100);
    // The last level's end reaches no level past it.
    s.screen = Screen::Playing;
    s.levelCounter = 7;
    AfterPlayingStep(s, PlayOutcome{false, true});
    EXPECT_EQ(s.reachedLevel, 7);
}

// The title starts a level reached by its number key, and no other.
TEST(Progress, TheTitleStartsALevelReachedByItsNumber)
{
    const struct {
        std::int32_t reached;
        std::int32_t chosen;
        Screen after;
        std::int32_t level;
    } cases[] = {{2, 2, Screen::Playing, 2},
                 {2, 0, Screen::Playing, 0},
                 {2, 3, Screen::Title, 0},
                 {7, 7, Screen::Playing, 7},
                 {0, 1, Screen::Title, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        GameSession s;
        s.reachedLevel = c.reached;
        ScreenPresses p;
        p.chosenLevel = c.chosen;
        const ScreenChange change = StepScreen(s, p);
        EXPECT_EQ(s.screen, c.after);
        EXPECT_EQ(s.levelCounter, c.level);
        EXPECT_EQ(change, c.after == Screen::Playing ? ScreenChange::NewGame : ScreenChange::None);
    }
    EXPECT_EQ(LevelOfKey(kKey1 + 2), 2);
    EXPECT_EQ(LevelOfKey(kKeyPad1 + 7), 7);
    EXPECT_EQ(LevelOfKey(kKey1 + 8), -1) << "9 names no level";
    EXPECT_EQ(LevelOfKey(kKeySpace), -1);
}

}  // namespace
